#include "lexicon/dict.h"
// Decomposition of a character into components.
//
// GetParts(t, depth): t's value in the component table (with the depth flag,
// else in the base table when the component table has none) is expanded: a
// double-byte character is taken as it is, or with the depth flag expanded in
// turn; 'R' stands for 雨; any other byte is expanded as a key of its own. A
// text without a value, or whose expansion is empty, yields itself. A basic
// component (its own value) yields itself, and so does a key met again on the
// current expansion path, so that damaged data with cycles still terminates.
// An expansion stops taking components once it holds kMaxPartsBytes, so that
// values that multiply at every level cannot blow up to an exponential size.

namespace {

constexpr const char kRain[] = "\xD3\xEA";  // 雨
constexpr size_t kMaxPartsDepth = 32;
constexpr int kMaxPartsBytes = 1024;

}  // namespace

AString CDictTop::GetParts(const AString& text, bool depth) const {
    std::vector<AString> path;
    return PartsOf(text, depth, path);
}

AString CDictTop::PartsOf(const AString& text, bool depth, std::vector<AString>& path) const {
    const AString* value = ComponentTable.Find(text);
    if (!value || value->IsEmpty()) {
        if (!depth) return text;
        value = BaseComponentTable.Find(text);
        if (!value || value->IsEmpty()) return text;
    }
    if (*value == text || path.size() >= kMaxPartsDepth) return text;
    for (const AString& on : path)
        if (on == text) return text;
    path.push_back(text);
    AString result = ExpandParts(*value, depth, path);
    path.pop_back();
    return result.IsEmpty() ? text : result;
}

AString CDictTop::ExpandParts(const AString& value, bool depth, std::vector<AString>& path) const {
    AString result;
    const int n = value.GetLength();
    for (int i = 0; i < n && result.GetLength() < kMaxPartsBytes; i++) {
        auto b = static_cast<unsigned char>(value[i]);
        if (b >= 0x80 && i + 1 < n) {
            AString c = value.Mid(i, 2);
            i++;
            result += depth ? PartsOf(c, depth, path) : c;
        } else if (b == 'R') {
            result += kRain;
        } else {
            result += PartsOf(AString(static_cast<char>(b), 1), depth, path);
        }
    }
    return result;
}
