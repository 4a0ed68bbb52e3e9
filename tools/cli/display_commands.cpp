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

AString ToGbk(const AString& wide) {
    AString gbk = wide;
    gbk.ToNarrow(936);
    return gbk;
}

bool IsBlank(char16_t u) { return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == 0x3000; }

}  // namespace

int PrintSegments(const CDictTop& dict, const AString& wide) {
    std::vector<typWordSegment> segments;
    SegmentText(dict, ToGbk(wide), segments);
    for (const typWordSegment& s : segments)
        std::cout << s.kind << '\t' << s.first << '\t' << s.end << '\t' << GbkToUtf8(s.text) << '\n';
    return 0;
}

int PrintPinyin(const CDictTop& dict, const AString& wide) {
    const char16_t* u = wide.WideData();
    for (int i = 0, n = wide.GetCharCount(); i < n; i++) {
        if (IsBlank(u[i])) continue;
        const AString ch = ToGbk(AString(u + i, 1));
        AString pinyin;
        GetPinyinText(dict, ch, nullptr, &pinyin, true, false, false);
        std::cout << Utf16ToUtf8(u + i, 1) << '\t' << (pinyin.IsEmpty() ? "-" : GbkToUtf8(pinyin)) << '\n';
    }
    return 0;
}

int PrintInfo(const CDictTop& dict, const AString& wide, int uiLanguage) {
    PlainReportPane pane;
    InfoPaneStyle style;
    style.labels.uiLanguage = uiLanguage;
    std::vector<typWordPos> wordMap;
    FillInfoPane(pane, dict, ToGbk(wide), style, wordMap);
    const std::u16string& text = pane.Text();
    std::string out = Utf16ToUtf8(text.data(), static_cast<int>(text.size()));
    if (!out.empty() && out.back() != '\n') out += '\n';
    std::cout << out;
    return 0;
}
