#include "tools/cli/display_commands.h"

#include <iostream>
#include <vector>

#include "lexicon/info_pane_content.h"
#include "lexicon/pinyin_text.h"
#include "lexicon/plain_report_pane.h"
#include "lexicon/segment.h"
#include "text/gbk.h"
#include "text/utf8.h"

namespace {

bool IsBlank(char16_t u) { return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == 0x3000; }

}  // namespace

int PrintSegments(const CDictTop& dict, std::u16string_view units) {
    std::vector<typWordSegment> segments;
    SegmentText(dict, GbkFromUtf16(units), segments);
    for (const typWordSegment& s : segments)
        std::cout << s.kind << '\t' << s.first << '\t' << s.end << '\t' << GbkToUtf8(s.text) << '\n';
    return 0;
}

int PrintPinyin(const CDictTop& dict, std::u16string_view units) {
    for (size_t i = 0; i < units.size(); i++) {
        if (IsBlank(units[i])) continue;
        const bool pair = i + 1 < units.size() && units[i] >= 0xD800 && units[i] <= 0xDBFF && units[i + 1] >= 0xDC00 &&
                          units[i + 1] <= 0xDFFF;
        const std::u16string_view unit = units.substr(i, pair ? 2 : 1);
        if (pair) ++i;
        AString pinyin;
        GetPinyinText(dict, GbkFromUtf16(unit), nullptr, &pinyin, true, false, false);
        std::cout << Utf16ToUtf8(unit) << '\t' << (pinyin.IsEmpty() ? "-" : GbkToUtf8(pinyin)) << '\n';
    }
    return 0;
}

int PrintInfo(const CDictTop& dict, std::u16string_view units, int uiLanguage) {
    PlainReportPane pane;
    InfoPaneStyle style;
    style.labels.uiLanguage = uiLanguage;
    std::vector<typWordPos> wordMap;
    FillInfoPane(pane, dict, GbkFromUtf16(units), style, wordMap);
    const std::u16string& text = pane.Text();
    std::string out = Utf16ToUtf8(text);
    if (!out.empty() && out.back() != '\n') out += '\n';
    std::cout << out;
    return 0;
}
