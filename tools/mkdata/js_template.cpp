#include "tools/mkdata/js_template.h"

#include <charconv>

#include "text/utf8.h"

namespace {

bool Hex(std::string_view digits, char32_t& cp) {
    unsigned value = 0;
    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.empty() || r.ptr != digits.data() + digits.size() || value > 0x10FFFF) return false;
    cp = value;
    return true;
}

// Reads the escape after the backslash at js[i]; i ends on its last byte.
bool Unescape(std::string_view js, size_t& i, std::string& out) {
    if (++i >= js.size()) return false;
    const char c = js[i];
    constexpr std::string_view kFrom = "nrtbfv0", kTo = "\n\r\t\b\f\v";
    if (const size_t k = kFrom.find(c); k != std::string_view::npos) {
        out += k < kTo.size() ? kTo[k] : '\0';
        return true;
    }
    char32_t cp = 0;
    if (c == 'x') {
        if (i + 2 >= js.size() || !Hex(js.substr(i + 1, 2), cp)) return false;
        i += 2;
    } else if (c == 'u' && i + 1 < js.size() && js[i + 1] == '{') {
        const size_t close = js.find('}', i);
        if (close == std::string_view::npos || !Hex(js.substr(i + 2, close - i - 2), cp)) return false;
        i = close;
    } else if (c == 'u') {
        if (i + 4 >= js.size() || !Hex(js.substr(i + 1, 4), cp)) return false;
        i += 4;
        char32_t low = 0;  // a surrogate pair written as two escapes
        if (cp >= 0xD800 && cp < 0xDC00 && js.substr(i + 1, 2) == "\\u" && i + 6 < js.size() &&
            Hex(js.substr(i + 3, 4), low) && low >= 0xDC00 && low < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 6;
        }
    } else if (c == '\r') {
        if (i + 1 < js.size() && js[i + 1] == '\n') ++i;  // line continuation
        return true;
    } else if (c == '\n') {
        return true;
    } else {
        out += c;  // \` \\ \$ \' \" and any other character stand for themselves
        return true;
    }
    AppendUtf8(out, cp);
    return true;
}

}  // namespace

bool UnwrapTemplateLiteral(std::string_view js, std::string& text) {
    text.clear();
    size_t i = js.find('`');
    if (i == std::string_view::npos) return false;
    for (++i; i < js.size(); ++i) {
        const char c = js[i];
        if (c == '`') break;
        if (c == '\\') {
            if (!Unescape(js, i, text)) return false;
        } else if (c == '$' && i + 1 < js.size() && js[i + 1] == '{') {
            return false;
        } else if (c == '\r') {
            text += '\n';
            if (i + 1 < js.size() && js[i + 1] == '\n') ++i;
        } else {
            text += c;
        }
    }
    if (i >= js.size()) return false;
    return js.find_first_not_of("; \t\r\n", i + 1) == std::string_view::npos;
}
