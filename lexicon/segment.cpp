#include "lexicon/segment.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "rules/char_class.h"
#include "text/gbk_bytes.h"

namespace {

constexpr char kShangMianLin[] = "\xC9\xCF\xC3\xE6\xC1\xD9";  // 上面临
constexpr char kShi[] = "\xCA\xB1";                           // 时
constexpr char kWhiteSpace[] = "\r\n \t";

bool IsWhiteSpace(char b) { return b != 0 && std::strchr(kWhiteSpace, b) != nullptr; }

unsigned char Byte(const char* s, int i) { return static_cast<unsigned char>(s[i]); }

bool IsPairAt(const char* s, int n, int i) { return i + 1 < n && IsGbkPair(Byte(s, i), Byte(s, i + 1)); }
bool IsHanziAt(const char* s, int n, int i) { return IsPairAt(s, n, i) && IsGbkHanzi(Byte(s, i), Byte(s, i + 1)); }
bool IsSymbolAt(const char* s, int n, int i) { return IsPairAt(s, n, i) && IsSymbolChar(Byte(s, i), Byte(s, i + 1), false); }

// Width of the separator at i (a double-byte symbol or a white-space byte), or 0.
int SeparatorAt(const char* s, int n, int i) {
    if (i >= n) return 0;
    if (IsSymbolAt(s, n, i)) return 2;
    return IsWhiteSpace(s[i]) ? 1 : 0;
}

bool IsReadableAt(const CDictTop& dict, const char* s, int n, int i) {
    char pair[3];
    return dict.ReadableCharAt(s, n, i, pair, false) == 1;
}

// Forward maximum matching: calls word(offset, length) for each word in order.
template <class WordFn>
void ForEachWord(const CDictTop& dict, const char* run, int count, WordFn word) {
    int i = 0;
    while (i < count - 1) {
        const int left = count - i;
        if (left >= 6 && std::memcmp(run + i, kShangMianLin, 6) == 0 &&
            (left < 8 || std::memcmp(run + i + 6, kShi, 2) != 0)) {
            word(i, 2);
            word(i + 2, 4);
            i += 6;
            continue;
        }
        int j = std::min(i + 10, count);
        if (j - i > 4 && !dict.LongWordPrefixes.MayStartLongWord(dict.WordDictionary, run + i)) j = i + 4;
        for (; j > i + 1; j -= 2) {
            if (j - i > 2 ? dict.FindWord(run + i, j - i) != nullptr : dict.ComponentTable.FindBytes(run + i, 2) != nullptr)
                break;
        }
        // No window matched: the character stands alone, so that the indices
        // of the words after it stay right.
        if (j <= i + 1) j = i + 2;
        word(i, j - i);
        i = j;
    }
}

// The current run of SegmentText and its character indices.
struct Run {
    std::string bytes;
    bool chinese = false;
    std::vector<int> indices;  // of each character of a Chinese run
};

void CloseRun(const CDictTop& dict, Run& run, std::vector<typWordSegment>& out) {
    const char* b = run.bytes.data();
    if (run.chinese) {
        size_t g = 0;
        ForEachWord(dict, b, static_cast<int>(run.bytes.size()), [&](int offset, int length) {
            const size_t c = static_cast<size_t>(length / 2);
            if (c == 0 || g + c > run.indices.size()) return;
            out.push_back({c == 1 ? kSingleChar : kDictWord, run.indices[g], run.indices[g + c - 1] + 1,
                           AString::FromBytes(b + offset, length)});
            g += c;
        });
    } else {
        const size_t first = run.bytes.find_first_not_of(kWhiteSpace);
        if (first != std::string::npos) {
            const size_t last = run.bytes.find_last_not_of(kWhiteSpace);
            out.push_back({kOtherText, -1, -1, AString::FromBytes(b + first, static_cast<int>(last + 1 - first))});
        }
    }
    run.bytes.clear();
    run.indices.clear();
}

}  // namespace

int SplitWords(const CDictTop& dict, const char* run, int count, AStringArray& words) {
    const int before = words.GetSize();
    ForEachWord(dict, run, count, [&](int offset, int length) { words.Add(AString::FromBytes(run + offset, length)); });
    return words.GetSize() - before;
}

int SegmentText(const CDictTop& dict, const AString& text, std::vector<typWordSegment>& out) {
    const char* s = text.GetString();
    const int n = text.GetLength();
    int i = 0, counter = 0;
    for (int w; (w = SeparatorAt(s, n, i)) != 0; i += w) counter++;

    Run run;
    while (i < n) {
        if (IsHanziAt(s, n, i)) {
            if (!run.chinese && !run.bytes.empty()) CloseRun(dict, run, out);
            run.chinese = true;
            run.indices.push_back(counter++);
            run.bytes.append(s + i, 2);
            i += 2;
            // A separator (double-byte symbol or white-space byte) is passed
            // over, though counted, when the readable character after it is
            // the last of the text or is followed by one without readings:
            // that character joins the run, and one separator after it is
            // passed over too.
            const int sep = SeparatorAt(s, n, i);
            if (sep == 0) continue;
            const int next = i + sep;
            if (!IsReadableAt(dict, s, n, next)) continue;
            if (!(n - (next + 2) <= 1 || !IsReadableAt(dict, s, n, next + 2))) continue;
            counter++;  // the separator
            run.indices.push_back(counter++);
            run.bytes.append(s + next, 2);
            i = next + 2;
            if (const int after = SeparatorAt(s, n, i)) {
                counter++;
                i += after;
            }
            continue;
        }
        if (run.chinese) {
            CloseRun(dict, run, out);
            run.chinese = false;
        }
        const int width = IsPairAt(s, n, i) ? 2 : 1;
        run.bytes.append(s + i, static_cast<size_t>(width));
        counter++;
        i += width;
    }
    CloseRun(dict, run, out);
    return static_cast<int>(out.size());
}
