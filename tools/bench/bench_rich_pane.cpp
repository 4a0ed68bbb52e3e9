// Writing the information pane's word list through the rich-edit report pane:
// Chinese prose of 100, 1,000 and 10,000 characters, the best of three runs
// each, beside the same content written into the plain pane in memory.
// Usage (Windows, or Wine): bench_rich_pane DATA_FOLDER [CHARACTERS [FACE]]; FACE "songti": the GBK name of the Song face
// Piece by piece is measured up to ZH_BENCH_PIECEWISE characters (default 100; it is far too slow beyond).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/info_pane_content.h"
#include "lexicon/plain_report_pane.h"
#include "reader/rich_edit_library.h"
#include "reader/torvi_edit_ctrl.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kProse[] =
    "春天来了，山上的小草从土里钻出来，嫩嫩的，绿绿的。园子里，田野里，到处都是一片生机。"
    "我们学校的学生每天早上都去公园跑步，老师说锻炼身体是学习的基础。银行行长了解情况以后，"
    "决定明年在这个城市开一家新的分行，为当地的人民提供更好的服务。他说：“经济发展需要大家的努力，"
    "我们应该一起工作，解决问题。”晚上，妈妈做了很多好吃的菜，全家人坐在一起，一边吃饭一边聊天，"
    "谈论今天发生的事情。中国的历史很长，文化丰富多彩，每年都有很多外国朋友来这里旅游和学习汉语。";

AString GbkProse(int characters) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, kProse, -1, nullptr, 0) - 1;
    std::wstring one(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, kProse, -1, one.data(), n);
    std::wstring text;
    while (static_cast<int>(text.size()) < characters) text += one;
    text.resize(static_cast<size_t>(characters));
    std::string bytes(text.size() * 2 + 1, '\0');
    const int m = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                      static_cast<int>(bytes.size()), nullptr, nullptr);
    return AString::FromBytes(bytes.data(), m);
}

template <class F>
double BestMs(F run) {
    double best = 1e30;
    for (int i = 0; i < 3; i++) {
        const auto start = Clock::now();
        run();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_rich_pane DATA_FOLDER\n");
        return 2;
    }
    CDictTop dict;
    dict.InitOnce(argv[1]);
    if (!dict.LoadLexicon(argv[1])) {
        std::fprintf(stderr, "cannot load the lexicon from %s\n", argv[1]);
        return 1;
    }
    if (!LoadRichEditLibrary()) return 1;
    const HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 500, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    const HWND edit = CreateWindowExW(0, L"RichEdit20W", L"",
                                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, 600, 500,
                                      host, reinterpret_cast<HMENU>(1001), GetModuleHandleW(nullptr), nullptr);
    CTorviEditCtrl pane(&dict);
    pane.Attach(edit);
    InfoPaneStyle style;
    style.chineseFace = argc > 3 ? argv[3] : "SimSun";
    if (style.chineseFace == "songti") style.chineseFace = "\xCB\xCE\xCC\xE5";  // the face's GBK name
    std::printf("%10s %10s %14s %14s %12s\n", "characters", "words", "piecewise ms", "streamed ms", "plain ms");
    std::vector<int> sizes{100, 1000, 10000};
    const int piecewiseLimit = std::getenv("ZH_BENCH_PIECEWISE") ? std::atoi(std::getenv("ZH_BENCH_PIECEWISE")) : 100;
    if (argc > 2) sizes = {std::atoi(argv[2])};
    for (int n : sizes) {
        const AString text = GbkProse(n);
        std::vector<typWordPos> map;
        const double rich = n <= piecewiseLimit ? BestMs([&] { FillInfoPane(pane, dict, text, style, map); }) : -1;
        const double streamed = BestMs([&] {
            PlainReportPane content;
            FillInfoPane(content, dict, text, style, map);
            pane.LoadReport(content);
        });
        const double plain = BestMs([&] {
            PlainReportPane p;
            std::vector<typWordPos> m;
            FillInfoPane(p, dict, text, style, m);
        });
        std::printf("%10d %10zu %14.1f %14.1f %12.1f\n", n, map.size(), rich, streamed, plain);
        std::fflush(stdout);
    }
    DestroyWindow(host);
    return 0;
}
