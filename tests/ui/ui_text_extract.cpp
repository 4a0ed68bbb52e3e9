#include "tests/ui/ui_text_extract.h"

#include <cctype>
#include <cstring>

namespace {

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool HasLetter(const std::string& s) {
    for (char c : s)
        if (std::isalpha(static_cast<unsigned char>(c))) return true;
    return false;
}

int LineOf(std::string_view text, std::size_t at) {
    int line = 1;
    for (std::size_t i = 0; i < at && i < text.size(); ++i) line += text[i] == '\n';
    return line;
}

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return i;
}

// A C++ string literal (with an optional L, u, U or u8 prefix) at `i`;
// false when there is none. Escapes \n, \t, \\, \" and \' are decoded.
bool CppLiteral(std::string_view s, std::size_t i, std::string& out) {
    for (const char* prefix : {"u8", "L", "u", "U"}) {
        std::size_t n = std::strlen(prefix);
        if (s.substr(i, n) == prefix && i + n < s.size() && s[i + n] == '"') {
            i += n;
            break;
        }
    }
    if (i >= s.size() || s[i] != '"') return false;
    out.clear();
    for (++i; i < s.size() && s[i] != '"'; ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char e = s[++i];
            out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
            out += s[i];
        }
    }
    return i < s.size();
}

// A resource-script string: "" stands for one quote; \n and \t as in C.
bool RcLiteral(std::string_view s, std::size_t i, std::string& out) {
    if (i >= s.size() || s[i] != '"') return false;
    out.clear();
    for (++i; i < s.size(); ++i) {
        if (s[i] == '"') {
            if (i + 1 < s.size() && s[i + 1] == '"') {
                out += '"';
                ++i;
                continue;
            }
            return true;
        }
        if (s[i] == '\\' && i + 1 < s.size()) {
            char e = s[++i];
            out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
            out += s[i];
        }
    }
    return false;
}

// Code with comments blanked out (string literals kept), line breaks kept.
std::string WithoutComments(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '"') {
            for (++i; i < out.size() && out[i] != '"' && out[i] != '\n'; ++i)
                if (out[i] == '\\') ++i;
        } else if (out.compare(i, 2, "//") == 0) {
            while (i < out.size() && out[i] != '\n') out[i++] = ' ';
        } else if (out.compare(i, 2, "/*") == 0) {
            std::size_t end = out.find("*/", i + 2);
            end = end == std::string::npos ? out.size() : end + 2;
            for (; i < end; ++i)
                if (out[i] != '\n') out[i] = ' ';
            --i;
        }
    }
    return out;
}

}  // namespace

std::vector<UiTextUse> ExtractFromCode(std::string_view code, const std::string& file) {
    struct Call {
        const char* name;
        bool exact;
        bool number;
    };
    static const Call kCalls[] = {
        {"TranslateUiText", false, false},
        {"TranslateUiTextW", false, false},
        {"TranslateUiTextToWide", false, false},
        {"UiText", false, false},
        {"ShowStatus", false, false},
        {"ShowMessage", true, false},
        {"ShowMessageW", true, false},
        {"ShowFormattedMessage", true, false},
        {"FormattedUiMessage", true, false},
        {"UiString", true, true},
    };
    const std::string s = WithoutComments(code);
    std::vector<UiTextUse> uses;
    for (const Call& call : kCalls) {
        const std::string name = std::string(call.name) + "(";
        for (std::size_t at = s.find(name); at != std::string::npos; at = s.find(name, at + 1)) {
            if (at > 0 && IsIdentChar(s[at - 1])) continue;
            std::size_t i = SkipBlanks(s, at + name.size());
            std::string text;
            if (call.number) {
                while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) text += s[i++];
                if (text.empty()) continue;
            } else if (!CppLiteral(s, i, text) || !HasLetter(text)) {
                continue;
            }
            uses.push_back({text, call.exact, file + ":" + std::to_string(LineOf(s, at))});
        }
    }
    return uses;
}

std::vector<UiTextUse> ExtractFromResourceScript(std::string_view rc, const std::string& file) {
    static const char* const kControls[] = {
        "LTEXT",      "RTEXT",    "CTEXT",        "PUSHBUTTON",  "DEFPUSHBUTTON",   "PUSHBOX",
        "GROUPBOX",   "CHECKBOX", "AUTOCHECKBOX", "RADIOBUTTON", "AUTORADIOBUTTON", "STATE3",
        "AUTO3STATE", "CONTROL",  "MENUITEM",     "POPUP",
    };
    const std::string s = WithoutComments(rc);
    std::vector<UiTextUse> uses;
    bool inStringTable = false;
    std::size_t lineStart = 0;
    for (int line = 1; lineStart < s.size(); ++line) {
        std::size_t end = s.find('\n', lineStart);
        if (end == std::string::npos) end = s.size();
        std::string_view l(s.data() + lineStart, end - lineStart);
        lineStart = end + 1;
        std::size_t i = SkipBlanks(l, 0), j = i;
        while (j < l.size() && IsIdentChar(l[j])) ++j;
        const std::string word(l.substr(i, j - i));
        std::string text;
        const std::string where = file + ":" + std::to_string(line);
        if (word == "STRINGTABLE") inStringTable = true;
        if (inStringTable && (word == "END" || l.substr(i, 1) == "}")) inStringTable = false;
        if (word == "CAPTION") {
            if (RcLiteral(l, SkipBlanks(l, j), text) && HasLetter(text)) uses.push_back({text, true, where});
            continue;
        }
        bool control = false;
        for (const char* k : kControls) control = control || word == k;
        if (control) {
            if (RcLiteral(l, SkipBlanks(l, j), text) && HasLetter(text)) uses.push_back({text, false, where});
        } else if (inStringTable && !word.empty() && word != "BEGIN" && word != "STRINGTABLE") {
            std::size_t q = l.find('"', j);
            if (q != std::string_view::npos && RcLiteral(l, q, text) && HasLetter(text))
                uses.push_back({text, true, where});
        }
    }
    return uses;
}

std::vector<UiTextUse> ExtractFromList(std::string_view list, const std::string& file) {
    std::vector<UiTextUse> uses;
    std::string heading;
    std::size_t start = 0;
    for (int line = 1; start < list.size(); ++line) {
        std::size_t end = list.find('\n', start);
        if (end == std::string_view::npos) end = list.size();
        std::string l(list.substr(start, end - start));
        start = end + 1;
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (l.empty() || l[0] == '#') continue;
        if (l[0] == '[') {
            heading = l;
            continue;
        }
        std::size_t space = l.find(' ');
        const std::string kind = l.substr(0, space), text = space == std::string::npos ? "" : l.substr(space + 1);
        const bool exact = kind == "caption" || kind == "message" || kind == "number" || kind == "key";
        const bool known = exact || kind == "control" || kind == "menu" || kind == "text";
        if (!known || text.empty())
            uses.push_back({"", false, file + ":" + std::to_string(line) + ": bad line: " + l});
        else
            uses.push_back({text, exact, file + ":" + std::to_string(line) + " " + heading});
    }
    return uses;
}
