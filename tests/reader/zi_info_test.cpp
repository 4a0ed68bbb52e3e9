// The reader window as a user meets it: the program runs in this process on a
// thread of its own with the simulated voices; Wine's notepad holds a Chinese
// text with a selection; real clicks (xdotool) on the toolbar's right half and
// on the reader's Speak button. Pictures go to build/screens/reader.
#include <windows.h>
// after windows.h
#include <richedit.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/environment.h"
#include "app/mdi_app.h"
#include "app/requests.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "reader/zi_info_dlg.h"
#include "res/resource_ids.h"
#include "speech/simulated_voice.h"
#include "speech/speech_engine.h"
#include "tests/app/program_harness.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "ui/ui_strings.h"

namespace {

using namespace std::chrono_literals;
constexpr int kLeft = 600, kTop = 20;
constexpr RECT kNotepadPlace{40, 500, 460, 700};

// What a test reads of the reader being run, taken on the program's thread.
struct ReaderView {
    HWND hwnd = nullptr;
    int templateId = 0;
    std::u16string text;
    bool placeholder = false;
    std::vector<typWordPos> wordMap;
    std::vector<PaneCharFormat> infoFormats;  // one per information-pane unit
    std::u16string info;
    int selStart = 0, selEnd = 0;
    int highlight[2]{0, 0};
    int playState = 0;
    RECT window{}, text_{}, infoRect{};
};

std::u16string Units(const AString& wide) {
    return std::u16string(wide.WideData(), static_cast<size_t>(wide.GetCharCount()));
}

ReaderView View(bool formats = true) {
    ReaderView v;
    OnApp([&] {
        CZiInfoDlg* r = CurrentReader;
        if (!r || !r->Hwnd()) return;
        v.hwnd = r->Hwnd();
        v.templateId = r->TemplateId();
        AString wide = r->CurrentText();
        v.text = Units(wide);
        r->InfoEdit.GetText(wide, 1200);
        v.info = Units(wide);
        v.placeholder = r->ShowingPlaceholder;
        v.wordMap = r->WordMap;
        v.highlight[0] = r->InfoHighlight[0];
        v.highlight[1] = r->InfoHighlight[1];
        r->TextEdit.GetSelection(v.selStart, v.selEnd);
        v.playState = ReaderPlayState;
        if (formats) {
            int s = 0, e = 0;
            r->InfoEdit.GetSelection(s, e);
            for (int i = 0; i < static_cast<int>(v.info.size()); i++) v.infoFormats.push_back(r->InfoEdit.FormatAt(i));
            r->InfoEdit.Select(s, e);
        }
        GetWindowRect(v.hwnd, &v.window);
        GetWindowRect(r->TextEdit.Hwnd(), &v.text_);
        GetWindowRect(r->InfoEdit.Hwnd(), &v.infoRect);
    });
    return v;
}

COLORREF InfoBackground(int unit) {
    COLORREF colour = 0;
    OnApp([&] {
        CZiInfoDlg* r = CurrentReader;
        if (!r) return;
        CHARFORMAT2W f{};
        f.cbSize = sizeof f;
        int s = 0, e = 0;
        r->InfoEdit.GetSelection(s, e);
        r->InfoEdit.Select(unit, unit + 1);
        SendMessageW(r->InfoEdit.Hwnd(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
        r->InfoEdit.Select(s, e);
        colour = (f.dwEffects & CFE_AUTOBACKCOLOR) ? RGB(255, 255, 255) : f.crBackColor;
    });
    return colour;
}

bool ReaderOpen() {
    bool open = false;
    OnApp([&] { open = CurrentReader && CurrentReader->Hwnd() && IsWindowVisible(CurrentReader->Hwnd()); });
    return open;
}
HWND WaitForReader() {
    HWND hwnd = nullptr;
    WaitUntil(
        [&] {
            if (!ReaderOpen()) return false;
            hwnd = View(false).hwnd;
            return hwnd != nullptr;
        },
        15s);
    Sleep(300);
    return hwnd;
}
void CloseReader(HWND hwnd) {
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(hwnd); }, 5s));
    Sleep(100);
}

class Reader : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        program_.Start({.toolbar = {kLeft, kTop}, .eventDelayMs = 150, .settings = {{"AutoSpeak", 0}, {"ShowPinyin", 1}}});
    }
    static void TearDownTestSuite() { program_.Stop(); }
    // The reader opened by a right-half click on `text` selected in notepad.
    HWND OpenOn(const std::u16string& text) {
        notepad_ = std::make_unique<Notepad>(text, kNotepadPlace);
        if (!notepad_->Ok()) return nullptr;
        notepad_->Select(0, -1);
        if (!notepad_->Front()) return nullptr;
        Click(ToolbarPoint(40, 8));
        Park();
        return WaitForReader();
    }
    void TearDown() override {
        if (ReaderOpen()) CloseReader(View(false).hwnd);
        notepad_.reset();
    }
    static inline Program program_;
    std::unique_ptr<Notepad> notepad_;
};

// Units of the information pane from `from` up to `to` with the given colour.
int FirstWithColour(const ReaderView& v, int from, int to, std::uint32_t colour) {
    for (int i = from; i < to && i < static_cast<int>(v.infoFormats.size()); i++)
        if (v.infoFormats[i].colour == colour && v.info[i] != u' ') return i;
    return -1;
}

// ---- Tests ----

TEST_F(Reader, ASelectionOpensTheCompactReaderWithTheWordList) {
    const std::u16string text = u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587";  // 我们喜欢学习中文
    const HWND hwnd = OpenOn(text);
    ASSERT_TRUE(hwnd);
    const ReaderView v = View();
    EXPECT_EQ(v.templateId, IDD_READER_SMALL);
    EXPECT_EQ(v.text, text);
    EXPECT_FALSE(v.placeholder);
    wchar_t title[64]{};
    GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(title, L"VirAz Information");
    ASSERT_GE(v.wordMap.size(), 3u);
    EXPECT_EQ(v.wordMap.front().TextFirst, 0);
    EXPECT_EQ(v.wordMap.back().TextEnd, static_cast<int>(text.size()));
    for (size_t i = 0; i < v.wordMap.size(); i++) {
        const typWordPos& w = v.wordMap[i];
        SCOPED_TRACE(i);
        // The word itself, bold dark red, shown where the map says.
        EXPECT_EQ(v.info.substr(w.InfoStart, w.InfoEnd - w.InfoStart), text.substr(w.TextFirst, w.TextEnd - w.TextFirst));
        ASSERT_LT(w.InfoStart, static_cast<int>(v.infoFormats.size()));
        EXPECT_TRUE(v.infoFormats[w.InfoStart].bold);
        EXPECT_EQ(v.infoFormats[w.InfoStart].colour, PaneRgb(100, 0, 0));
        const int next = i + 1 < v.wordMap.size() ? v.wordMap[i + 1].InfoStart : static_cast<int>(v.info.size());
        const int pinyin = FirstWithColour(v, w.InfoEnd, next, PaneRgb(0, 190, 0));
        const int definition = FirstWithColour(v, w.InfoEnd, next, PaneRgb(30, 30, 190));
        EXPECT_EQ(pinyin, w.InfoEnd) << "pinyin right after the word";
        EXPECT_GT(definition, pinyin) << "definition after the pinyin";
        if (pinyin >= 0) EXPECT_FALSE(v.infoFormats[pinyin].bold);
    }
    // Tone marks outside Latin-1 survive the way through GBK.
    EXPECT_EQ(v.info.substr(v.wordMap[0].InfoEnd, 6), u"w\u01d2 men") << "pinyin of the first word";
    // The compact window keeps inside the screen and puts the info pane below the text pane.
    EXPECT_LE(v.text_.bottom, v.infoRect.top);
    EXPECT_LE(v.infoRect.bottom, v.window.bottom);
    SaveScreenshot(hwnd, "reader/small_word_list");
    CloseReader(hwnd);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == notepad_->Top(); }, 3s));
}

TEST_F(Reader, OneCharacterWithPunctuationAroundItShowsItsReport) {
    const HWND hwnd = OpenOn(u"\u300c\u597d\u300d");  // 「好」
    ASSERT_TRUE(hwnd);
    const ReaderView v = View();
    EXPECT_TRUE(v.wordMap.empty());
    ASSERT_GT(v.info.size(), 20u);
    EXPECT_EQ(v.info[1], u'\u597d');
    EXPECT_TRUE(v.infoFormats[1].bold);
    EXPECT_EQ(v.infoFormats[1].colour, PaneRgb(255, 0, 0));
    EXPECT_EQ(v.infoFormats[1].twips, 550);
    // The definition part in blue follows the readings.
    EXPECT_GE(FirstWithColour(v, 2, static_cast<int>(v.info.size()), PaneRgb(20, 20, 255)), 2);
    SaveScreenshot(hwnd, "reader/small_char_report");
}

TEST_F(Reader, TextLengthChoosesTheCompactOrTheLargeWindow) {
    const std::u16string base = u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587\u548c\u5386\u53f2";
    struct Case {
        size_t characters;
        int templateId;
    } cases[] = {{20, IDD_READER_SMALL}, {25, IDD_READER_SMALL}, {26, IDD_READER_LARGE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.characters);
        std::u16string text;
        while (text.size() < c.characters) text += base;
        text.resize(c.characters);
        const HWND hwnd = OpenOn(text);
        ASSERT_TRUE(hwnd);
        const ReaderView v = View(false);
        EXPECT_EQ(v.templateId, c.templateId);
        EXPECT_EQ(v.text, text);
        if (c.templateId == IDD_READER_LARGE) SaveScreenshot(hwnd, "reader/large_word_list");
        CloseReader(hwnd);
        notepad_.reset();
    }
}

TEST_F(Reader, NothingSelectedOpensTheEmptyLargeReaderAfterTheRetries) {
    notepad_ = std::make_unique<Notepad>(u"abc", kNotepadPlace);
    ASSERT_TRUE(notepad_->Ok());
    notepad_->Select(0, 0);
    ASSERT_TRUE(notepad_->Front());
    const auto t0 = Clock::now();
    Click(ToolbarPoint(40, 8));
    Park();
    const HWND hwnd = WaitForReader();
    ASSERT_TRUE(hwnd);
    // Six re-posted captures, 200 ms apart, come first.
    EXPECT_GE(Clock::now() - t0, 1200ms);
    const ReaderView v = View(false);
    EXPECT_EQ(v.templateId, IDD_READER_LARGE);
    EXPECT_TRUE(v.placeholder);
    EXPECT_EQ(v.text.rfind(u"<Paste Chinese text here, please>", 0), 0u);
    EXPECT_TRUE(v.info.empty());
    EXPECT_TRUE(v.wordMap.empty());
    SaveScreenshot(hwnd, "reader/large_empty");
}

TEST_F(Reader, ANewRequestClosesTheOpenReaderAndOpensOneWithTheNewSelection) {
    const HWND first = OpenOn(u"\u5b66\u4e60\u4e2d\u6587");  // 学习中文
    ASSERT_TRUE(first);
    Notepad other(u"\u6211\u4eec\u559c\u6b22", kNotepadPlace);  // 我们喜欢
    ASSERT_TRUE(other.Ok());
    other.Select(0, -1);
    ASSERT_TRUE(other.Front());
    Click(ToolbarPoint(40, 8));
    Park();
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(first); }, 5s));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const ReaderView v = View(false);
            return v.hwnd && v.hwnd != first && v.text == u"\u6211\u4eec\u559c\u6b22";
        },
        10s));
    int open = 0;
    OnApp([&] { open = static_cast<int>(ReaderStack.size()); });
    EXPECT_EQ(open, 1);
}

// The Speak button's part `part` of the reader's client area.
POINT SpeakPart(HWND reader, int part, int cells) {
    const HWND button = GetDlgItem(reader, IDC_SPEAK);
    RECT r;
    GetClientRect(button, &r);
    const int cell = r.right / cells;
    POINT p{cell * part + cell / 2 + 1, r.bottom / 2};
    ClientToScreen(button, &p);
    return p;
}

TEST_F(Reader, SpeakingSelectsTheSpokenWordAndHighlightsItsEntryAndTheButtonPausesAndStops) {
    const std::u16string text = u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587\u548c\u5386\u53f2";
    const HWND hwnd = OpenOn(text);
    ASSERT_TRUE(hwnd);
    ASSERT_TRUE(WaitUntil([] { return TheSpeechEngine().CommandLoopRunning(); }, 10s));
    OnApp([] { CurrentReader->TextEdit.Select(0, 0); });
    Click(SpeakPart(hwnd, 1, 2));  // play
    ReaderView v;
    ASSERT_TRUE(WaitUntil(
        [&] {
            v = View(false);
            return v.playState == 1 && v.selEnd > v.selStart && v.highlight[1] > v.highlight[0];
        },
        10s))
        << "no word highlighted while speaking";
    // The selected text is a word of the map, and its entry is the highlighted one.
    bool matched = false;
    for (const typWordPos& w : v.wordMap)
        if (w.InfoStart == v.highlight[0]) matched = w.TextFirst <= v.selStart && v.selStart < w.TextEnd;
    EXPECT_TRUE(matched);
    EXPECT_EQ(InfoBackground(v.highlight[0]), RGB(255, 255, 0));
    SaveScreenshot(hwnd, "reader/small_speaking");

    Click(SpeakPart(hwnd, 0, 2));  // pause
    EXPECT_TRUE(WaitUntil([&] { return View(false).playState == 2; }, 3s));
    Click(SpeakPart(hwnd, 0, 2));  // resume
    EXPECT_TRUE(WaitUntil([&] { return View(false).playState == 1; }, 3s));
    Click(SpeakPart(hwnd, 1, 2));  // stop
    EXPECT_TRUE(WaitUntil(
        [&] {
            v = View(false);
            return v.playState == 0 && v.selStart == 0 && v.selEnd == 0;
        },
        5s))
        << "the empty selection at 0 comes back after speaking all";
    EXPECT_TRUE(WaitUntil([] { return TheSpeechEngine().IsIdle(); }, 5s));
    if (v.highlight[1] > v.highlight[0]) EXPECT_EQ(InfoBackground(v.highlight[0]), RGB(255, 255, 255));
}

TEST_F(Reader, ASelectionStartingWithSpacesIsSpokenWithTheSpokenWordsInTheirPlaces) {
    const HWND hwnd = OpenOn(u"\u6211\u4eec\u559c\u6b22");
    ASSERT_TRUE(hwnd);
    ASSERT_TRUE(WaitUntil([] { return TheSpeechEngine().CommandLoopRunning(); }, 10s));
    // Typed into the text pane: three spaces, then the words.
    const std::u16string typed = u"   \u5b66\u4e60\u4e2d\u6587\u548c\u5386\u53f2";
    OnApp([&] {
        CurrentReader->TextEdit.SetText(AString(typed.c_str(), static_cast<int>(typed.size())), false, 12, 1200, false);
        CurrentReader->TextEdit.Select(0, -1);
    });
    Click(SpeakPart(hwnd, 1, 2));
    std::set<std::u16string> spoken;
    ReaderView v;
    WaitUntil(
        [&] {
            v = View(false);
            // The whole text stays selected until the first word is reported.
            const int length = v.selEnd - v.selStart;
            if (length > 0 && length < static_cast<int>(typed.size()) && v.playState == 1)
                spoken.insert(v.text.substr(v.selStart, v.selEnd - v.selStart));
            return v.playState == 0;
        },
        15s);
    ASSERT_FALSE(spoken.empty());
    for (const std::u16string& word : spoken) {
        EXPECT_EQ(word.find(u' '), std::u16string::npos) << "a selection shifted onto the spaces";
        EXPECT_NE(typed.find(word), std::u16string::npos);
    }
    EXPECT_TRUE(spoken.count(u"\u5b66\u4e60") || spoken.count(u"\u5b66")) << "the first word is spoken in its place";
}

TEST_F(Reader, TheSpeakButtonsEmptyPartAndAPressDraggedOffAndBackDoNothing) {
    std::u16string text;
    for (int i = 0; i < 4; i++) text += u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587\uff0c";
    const HWND hwnd = OpenOn(text);
    ASSERT_TRUE(hwnd);
    ASSERT_EQ(View(false).templateId, IDD_READER_LARGE);
    Click(SpeakPart(hwnd, 2, 3));  // the empty third part while stopped
    Sleep(300);
    EXPECT_EQ(View(false).playState, 0);
    EXPECT_TRUE(TheSpeechEngine().IsIdle());

    const POINT play = SpeakPart(hwnd, 1, 3);
    Xdo("mousemove " + std::to_string(play.x) + " " + std::to_string(play.y));
    Sleep(60);
    Xdo("mousedown 1");
    Sleep(60);
    Xdo("mousemove " + std::to_string(play.x) + " " + std::to_string(play.y + 60));
    Sleep(60);
    Xdo("mousemove " + std::to_string(play.x) + " " + std::to_string(play.y));
    Sleep(60);
    Xdo("mouseup 1");
    Park();
    Sleep(300);
    EXPECT_EQ(View(false).playState, 0) << "a press dragged off its part is no click";
    EXPECT_TRUE(TheSpeechEngine().IsIdle());
    SaveScreenshot(hwnd, "reader/large_stopped");
}

TEST_F(Reader, ClickingAWordHighlightsItsEntryAndPunctuationLeavesIt) {
    const std::u16string text = u"\u6211\u4eec\uff0c\u5b66\u4e60\u4e2d\u6587";  // 我们，学习中文
    const HWND hwnd = OpenOn(text);
    ASSERT_TRUE(hwnd);
    struct Case {
        int caret;
        bool moves;
    } cases[] = {{4, true}, {2, false}, {0, true}};
    int last = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caret);
        // A real click just right of the character's left edge.
        POINT at{};
        OnApp([&] {
            POINTL p{};
            const HWND edit = CurrentReader->TextEdit.Hwnd();
            SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), c.caret);
            at = {p.x + 3, p.y + 8};
            ClientToScreen(edit, &at);
        });
        Click(at);
        Park();
        Sleep(150);
        const ReaderView v = View(false);
        EXPECT_EQ(v.selStart, c.caret);
        if (c.moves) {
            ASSERT_GT(v.highlight[1], v.highlight[0]);
            EXPECT_NE(v.highlight[0], last);
            EXPECT_EQ(InfoBackground(v.highlight[0]), RGB(255, 255, 0));
            last = v.highlight[0];
        } else {
            EXPECT_EQ(v.highlight[0], last);
        }
    }
    // The speech engine's question: where the word holding a byte offset starts.
    const struct {
        int byteOffset, start;
    } starts[] = {{0, 0}, {2, 0}, {4, -1}, {6, 6}, {8, 6}, {10, 10}, {14, -1}};
    for (const auto& c : starts)
        EXPECT_EQ(static_cast<int>(SendMessageW(hwnd, WM_SPEECH_WORDSTART, c.byteOffset, 0)), c.start) << c.byteOffset;
}

TEST_F(Reader, TheHighlightedEntryIsScrolledIntoView) {
    std::u16string text;
    for (int i = 0; i < 30; i++) text += u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587\uff0c";
    text += u"\u5386\u53f2";
    const HWND hwnd = OpenOn(text);
    ASSERT_TRUE(hwnd);
    POINT at{};
    OnApp([&] {
        POINTL p{};
        const HWND edit = CurrentReader->TextEdit.Hwnd();
        SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), static_cast<LPARAM>(text.size() - 2));
        at = {p.x + 3, p.y + 8};
        ClientToScreen(edit, &at);
    });
    Click(at);
    Park();
    Sleep(200);
    const ReaderView v = View(false);
    ASSERT_GT(v.highlight[1], v.highlight[0]);
    EXPECT_EQ(v.info.substr(v.highlight[0], 2), u"\u5386\u53f2");
    int first = 0;
    POINT shown{};
    RECT client{};
    OnApp([&] {
        const HWND info = CurrentReader->InfoEdit.Hwnd();
        first = static_cast<int>(SendMessageW(info, EM_GETFIRSTVISIBLELINE, 0, 0));
        POINTL p{};
        SendMessageW(info, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), v.highlight[0]);
        shown = {p.x, p.y};
        GetClientRect(info, &client);
    });
    EXPECT_GT(first, 0) << "the information pane scrolled";
    EXPECT_TRUE(PtInRect(&client, shown)) << shown.x << "," << shown.y;
    SaveScreenshot(hwnd, "reader/large_scrolled_highlight");
}

TEST_F(Reader, LargeReaderSideBySideAndRateButtonsStayWithinTheirRange) {
    std::u16string text;
    for (int i = 0; i < 4; i++) text += u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587\uff0c";
    const HWND hwnd = OpenOn(text);
    ASSERT_TRUE(hwnd);
    ReaderView v = View(false);
    ASSERT_EQ(v.templateId, IDD_READER_LARGE);
    EXPECT_LE(v.text_.bottom, v.infoRect.top + 1);
    SendMessageW(GetDlgItem(hwnd, IDC_LAYOUT_VERT), BM_CLICK, 0, 0);
    Sleep(200);
    v = View(false);
    EXPECT_LE(v.text_.right, v.infoRect.left + 1);
    EXPECT_EQ(v.text_.top, v.infoRect.top);
    SaveScreenshot(hwnd, "reader/large_vert");
    SendMessageW(GetDlgItem(hwnd, IDC_LAYOUT_VERT), BM_CLICK, 0, 0);

    struct Case {
        int start, button, expected;
    } cases[] = {{9, IDC_RATE_UP, 10}, {10, IDC_RATE_UP, 10}, {-10, IDC_RATE_DOWN, -10}, {0, IDC_RATE_DOWN, -2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        OnApp([&] { AppSettings.SoundPlaySpeed = c.start; });
        SendMessageW(GetDlgItem(hwnd, c.button), BM_CLICK, 0, 0);
        int speed = 0;
        OnApp([&] { speed = AppSettings.SoundPlaySpeed; });
        EXPECT_EQ(speed, c.expected);
        wchar_t shown[16]{};
        GetDlgItemTextW(hwnd, IDC_SPEED_VALUE, shown, 16);
        if (c.start != c.expected) EXPECT_EQ(std::wstring(shown), std::to_wstring(c.expected + 10));
    }
    OnApp([] { AppSettings.SoundPlaySpeed = 0; });
}

TEST_F(Reader, ANestedReaderOpensOnTheSelectionNextToTheCaretInsideTheWorkArea) {
    const HWND outer = OpenOn(u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587");
    ASSERT_TRUE(outer);
    POINT caret{};
    OnApp([&] {
        SetFocus(CurrentReader->TextEdit.Hwnd());
        CurrentReader->TextEdit.Select(2, 4);  // 喜欢
        caret = CurrentReader->TextEdit.CaretScreenPoint();
    });
    PostMessageW(outer, WM_COMMAND, ID_READER_NESTED, 0);
    HWND nested = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            OnApp([&] { nested = ReaderStack.size() == 2 ? ReaderStack.back() : nullptr; });
            return nested && IsWindowVisible(nested);
        },
        5s));
    Sleep(300);
    wchar_t text[32]{};
    GetDlgItemTextW(nested, IDC_TEXT_PANE, text, 32);
    EXPECT_STREQ(text, L"\u559c\u6b22");
    RECT r, work;
    GetWindowRect(nested, &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_GE(r.left, work.left);
    EXPECT_GE(r.top, work.top);
    EXPECT_LE(r.right, work.right);
    EXPECT_LE(r.bottom, work.bottom);
    // Right of and below the caret when there is room, else on its other side.
    EXPECT_TRUE(r.left == caret.x + 45 || r.right <= caret.x) << r.left << " caret " << caret.x;
    EXPECT_TRUE(r.top == caret.y + 34 || r.bottom <= caret.y) << r.top << " caret " << caret.y;
    SaveScreenshot(nested, "reader/nested");
    CloseReader(nested);
    int open = 0;
    OnApp([&] { open = static_cast<int>(ReaderStack.size()); });
    EXPECT_EQ(open, 1);
    EXPECT_TRUE(IsWindow(outer));
}

TEST_F(Reader, ShowPinyinRebuildsTheListAndTheSplitterDragMovesTheBoundary) {
    std::u16string text;
    for (int i = 0; i < 4; i++) text += u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587\uff0c";
    const HWND hwnd = OpenOn(text);
    ASSERT_TRUE(hwnd);
    ReaderView v = View();
    ASSERT_EQ(v.templateId, IDD_READER_LARGE);
    const std::uint32_t green = PaneRgb(0, 190, 0);
    EXPECT_GE(FirstWithColour(v, 0, static_cast<int>(v.info.size()), green), 0);
    SendMessageW(GetDlgItem(hwnd, IDC_SHOW_PINYIN), BM_CLICK, 0, 0);
    Sleep(200);
    v = View();
    EXPECT_EQ(FirstWithColour(v, 0, static_cast<int>(v.info.size()), green), -1) << "no pinyin left";
    EXPECT_EQ(ReadSettingInt("Config", "ShowPinyin", -1), 0);
    SendMessageW(GetDlgItem(hwnd, IDC_SHOW_PINYIN), BM_CLICK, 0, 0);
    Sleep(200);
    EXPECT_EQ(ReadSettingInt("Config", "ShowPinyin", -1), 1);

    // Dragging the splitter 60 pixels down gives the text pane about 60 pixels more.
    const int before = v.text_.bottom - v.text_.top;
    RECT splitter;
    GetWindowRect(GetDlgItem(hwnd, IDC_SPLITTER), &splitter);
    const int x = (splitter.left + splitter.right) / 2, y = (splitter.top + splitter.bottom) / 2;
    Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y));
    Sleep(60);
    Xdo("mousedown 1");
    for (int step = 1; step <= 6; step++) {
        Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y + 10 * step));
        Sleep(40);
    }
    Xdo("mouseup 1");
    Park();
    Sleep(200);
    v = View(false);
    EXPECT_NEAR(v.text_.bottom - v.text_.top, before + 60, 8);
    EXPECT_LE(v.text_.bottom, v.infoRect.top + 1);
}

TEST_F(Reader, AutoSpeakSpeaksATextAtOnceButNotThePlaceholder) {
    WriteSettingInt("Config", "AutoSpeak", 1);
    ASSERT_TRUE(WaitUntil([] { return TheSpeechEngine().CommandLoopRunning(); }, 10s));
    const HWND hwnd = OpenOn(u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587");
    ASSERT_TRUE(hwnd);
    EXPECT_TRUE(WaitUntil([] { return View(false).highlight[1] > 0; }, 5s)) << "speaking highlights words";
    EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_AUTO_SPEAK), BST_CHECKED);
    CloseReader(hwnd);
    notepad_.reset();

    notepad_ = std::make_unique<Notepad>(u"abc", kNotepadPlace);
    ASSERT_TRUE(notepad_->Ok());
    notepad_->Select(0, 0);
    ASSERT_TRUE(notepad_->Front());
    Click(ToolbarPoint(40, 8));
    Park();
    const HWND empty = WaitForReader();
    ASSERT_TRUE(empty);
    Sleep(500);
    const ReaderView v = View(false);
    EXPECT_TRUE(v.placeholder);
    EXPECT_EQ(v.playState, 0);
    EXPECT_TRUE(TheSpeechEngine().IsIdle());
    WriteSettingInt("Config", "AutoSpeak", 0);
}

TEST_F(Reader, ChineseInterface) {
    OnApp([] {
        AppSettings.UILanguage = 1;
        ChooseUiStringFile();
    });
    const HWND hwnd = OpenOn(u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587");
    if (hwnd) {
        SaveScreenshot(hwnd, "reader/small_word_list_chinese");
        CloseReader(hwnd);
    }
    notepad_.reset();
    std::u16string text;
    for (int i = 0; i < 4; i++) text += u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587\uff0c";
    const HWND large = OpenOn(text);
    if (large) SaveScreenshot(large, "reader/large_word_list_chinese");
    OnApp([] {
        AppSettings.UILanguage = 0;
        ChooseUiStringFile();
    });
    ASSERT_TRUE(hwnd);
    ASSERT_TRUE(large);
}

TEST_F(Reader, TheCompactReaderGivesANewSizeToItsPanesAndKeepsTheBottomRowAtTheBottom) {
    const HWND hwnd = OpenOn(u"\u6211\u4eec\u559c\u6b22\u5b66\u4e60\u4e2d\u6587");
    ASSERT_TRUE(hwnd);
    const ReaderView before = View(false);
    const int grow = 120;
    SetWindowPos(hwnd, nullptr, 0, 0, before.window.right - before.window.left + grow,
                 before.window.bottom - before.window.top + grow, SWP_NOMOVE | SWP_NOZORDER);
    Sleep(200);
    const ReaderView after = View(false);
    const int textGrew = (after.text_.bottom - after.text_.top) - (before.text_.bottom - before.text_.top);
    const int infoGrew = (after.infoRect.bottom - after.infoRect.top) - (before.infoRect.bottom - before.infoRect.top);
    EXPECT_NEAR(textGrew + infoGrew, grow, 4);
    EXPECT_GT(infoGrew, textGrew) << "the information pane takes the larger share";
    EXPECT_NEAR(after.infoRect.right - after.infoRect.left, before.infoRect.right - before.infoRect.left + grow, 4);
    EXPECT_LE(after.text_.bottom, after.infoRect.top);
    RECT close;
    GetWindowRect(GetDlgItem(hwnd, IDOK), &close);
    EXPECT_GE(close.top, after.infoRect.bottom);
    EXPECT_LE(close.bottom, after.window.bottom);
    EXPECT_LT(after.window.right - close.right, 16) << "Close at the right edge";
    RECT label;
    GetWindowRect(GetDlgItem(hwnd, IDC_READER_LABEL), &label);
    EXPECT_LT(after.window.right - label.right, 20) << "the label follows the right edge";
    SaveScreenshot(hwnd, "reader/small_resized");
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
