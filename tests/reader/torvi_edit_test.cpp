// The annotated rich-edit pane under Wine: a real "RichEdit20W" control in a
// real window, the real clipboard and the shipped lexicon.
#include "reader/torvi_edit_ctrl.h"

#include <richedit.h>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "app/environment.h"
#include "app/settings.h"
#include "lexicon/dict.h"
#include "lexicon/info_pane_content.h"
#include "lexicon/plain_report_pane.h"
#include "reader/find_text.h"
#include "reader/rich_edit_library.h"
#include "res/resource_ids.h"
#include "tests/reader/dialog_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "tests/ui/interface_language.h"
#include "text/code_pages.h"
#include "ui/gdi.h"
#include "ui/msg_box.h"
#include "ui/window.h"

namespace {

constexpr int kPaneId = 1001;

// A top-level window holding one rich-edit pane; it passes the pane its
// reflected notifications and records what the pane sends it.
class PaneHost : public Window {
public:
    explicit PaneHost(const CDictTop* lexicon, DWORD extraStyle = 0, int width = 420, int height = 300)
        : pane(lexicon) {
        WindowArgs a;
        a.className = L"ZhPaneHost";
        a.style = WS_POPUP | WS_BORDER | WS_VISIBLE;
        a.x = 40, a.y = 40, a.width = width, a.height = height;
        Create(a);
        edit = CreateWindowExW(0, L"RichEdit20W", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL |
                                   ES_WANTRETURN | extraStyle,
                               0, 0, width - 2, height - 2, Hwnd(), reinterpret_cast<HMENU>(kPaneId),
                               GetModuleHandleW(nullptr), nullptr);
        pane.Attach(edit);
        SetForegroundWindow(Hwnd());
        SetFocus(edit);
    }
    ~PaneHost() override { Destroy(); }

    CTorviEditCtrl pane;
    HWND edit = nullptr;
    std::vector<std::pair<UINT, WPARAM>> received;  // (message, wParam) of the pane's messages and commands

protected:
    LRESULT OnMessage(UINT m, WPARAM w, LPARAM l) override {
        if (m == WM_COMMAND) {
            LRESULT result = 0;
            if (reinterpret_cast<HWND>(l) == edit && pane.OnReflectedMessage(m, w, l, result)) return result;
            if (l == 0) received.emplace_back(m, w);
        }
        if ((m == WM_EDIT_CHANGED || m == WM_EDIT_LBUTTONUP) && reinterpret_cast<HWND>(l) == edit)
            received.emplace_back(m, w);
        return Default(m, w, l);
    }
};

// Ctrl and Shift as the pane reads them at the key.
class KeyState {
public:
    KeyState(bool ctrl, bool shift) {
        GetKeyboardState(saved_);
        BYTE keys[256];
        std::memcpy(keys, saved_, sizeof keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    ~KeyState() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256];
};

void Key(HWND edit, WPARAM key, bool ctrl = false, bool shift = false) {
    KeyState state(ctrl, shift);
    SendMessageW(edit, WM_KEYDOWN, key, 1);
}

void PutClipboard(const std::vector<std::pair<UINT, std::string>>& formats) {
    ClipboardOpen clipboard(nullptr);
    ASSERT_TRUE(clipboard.IsOpen());
    EmptyClipboard();
    for (const auto& [format, bytes] : formats) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        SetClipboardData(format, block);
    }
}

std::string ClipboardBytes(UINT format) {
    ClipboardOpen clipboard(nullptr);
    HANDLE h = clipboard.IsOpen() ? GetClipboardData(format) : nullptr;
    if (!h) return {};
    std::string bytes(static_cast<const char*>(GlobalLock(h)), GlobalSize(h));
    GlobalUnlock(h);
    return bytes;
}

std::string Utf16Bytes(std::u16string_view text) {
    return std::string(reinterpret_cast<const char*>(text.data()), 2 * (text.size() + 1));
}

class TorviEdit : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        lexicon_ = new CDictTop;
        lexicon_->InitOnce(ZH_DATA_DIR);
        ASSERT_TRUE(lexicon_->LoadLexicon(ZH_DATA_DIR));
    }
    static void TearDownTestSuite() {
        delete lexicon_;
        lexicon_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(LoadRichEditLibrary());
        host_ = std::make_unique<PaneHost>(lexicon_);
        ASSERT_TRUE(host_->edit);
        Pane().FindHistoryFolder = history_.Path() + "\\";
        savedMatchCase_ = AppSettings.matchCase;
    }
    void TearDown() override {
        host_.reset();
        AppSettings.matchCase = savedMatchCase_;
    }
    CTorviEditCtrl& Pane() { return host_->pane; }
    // The pane holds the plain pane's text (paragraph ends as line feeds) with
    // the same format per unit, an empty face standing for the base face.
    void ExpectSameContent(const PlainReportPane& plain, const std::vector<typWordPos>& plainMap,
                           const std::vector<typWordPos>& richMap) {
        std::u16string rich = Text();
        for (char16_t& u : rich)
            if (u == u'\r') u = u'\n';
        ASSERT_EQ(rich, plain.Text());
        EXPECT_EQ(Pane().TextLength(), plain.TextLength());
        EXPECT_EQ(richMap, plainMap);
        const PaneCharFormat defaultFormat = Pane().DefaultPaneFormat();
        int differing = 0;
        for (int i = 0; i < plain.TextLength() && differing < 3; i++) {
            PaneCharFormat expected = plain.FormatAt(i);
            if (expected.face.empty()) expected.face = defaultFormat.face;
            const PaneCharFormat got = Pane().FormatAt(i);
            if (got == expected) continue;
            differing++;
            ADD_FAILURE() << "unit " << i << ": bold " << got.bold << "/" << expected.bold << " colour " << std::hex
                          << got.colour << "/" << expected.colour << std::dec << " twips " << got.twips << "/"
                          << expected.twips << " charset " << got.charset << "/" << expected.charset << " face "
                          << got.face << "/" << expected.face;
        }
    }
    HWND Edit() const { return host_->edit; }
    std::u16string Text() {
        AString wide;
        Pane().GetText(wide, 1200);
        return std::u16string(wide.WideData(), static_cast<size_t>(wide.GetCharCount()));
    }
    std::pair<int, int> Selection() {
        int s = 0, e = 0;
        Pane().GetSelection(s, e);
        return {s, e};
    }
    void SetUtf8(std::string_view utf8) {
        Pane().SetText(Gbk(utf8), false, 0, kCodePageGbk, false);
    }

    static inline CDictTop* lexicon_ = nullptr;
    InterfaceLanguage language_{0};
    ScratchFolder history_{"zh_pane"};
    std::unique_ptr<PaneHost> host_;
    int savedMatchCase_ = 0;
};

// ---- The report pane contract: the same calls give the same text, formats and positions ----

struct ContractCase {
    const char* name;
    std::function<void(ReportPane&, std::vector<typWordPos>&)> write;
};

TEST_F(TorviEdit, ReportPaneMatchesThePlainPane) {
    const PaneCharFormat blue{false, PaneRgb(20, 20, 255), 240, 134, "SimSun"};
    const PaneCharFormat boldRed{true, PaneRgb(255, 0, 0), 450, 134, ""};
    const PaneCharFormat green{false, PaneRgb(0, 190, 0), 220, 0, "Arial"};
    InfoPaneStyle style;
    style.chineseFace = "SimSun";
    InfoPaneStyle chinese = style;
    chinese.labels.uiLanguage = 1;
    InfoPaneStyle noPinyin = style;
    noPinyin.showPinyin = false;
    const ContractCase cases[] = {
        {"set, append, inserted text takes the format before it",
         [&](ReportPane& p, auto&) {
             p.SetGbkText(Gbk("银行\r\n行长"));
             p.AppendFormatted(Gbk("了解"), blue, kCodePageGbk, true);
             p.AppendGbkText(Gbk("情况\n"));
             p.Select(1, 3);
             p.SetSelectionFormat(boldRed);
             p.Select(2, 2);
             p.ReplaceSelection(AString("ab"), kCodePageWestern, false);
         }},
        {"set text over formatted text starts from the default format",
         [&](ReportPane& p, auto&) {
             p.AppendFormatted(Gbk("中文"), boldRed, kCodePageGbk, true);
             p.SetGbkText(Gbk("新的"));
             p.AppendFormatted(AString("pin1"), green, kCodePageWestern, true);
         }},
        {"insertion format is dropped when the selection moves",
         [&](ReportPane& p, auto&) {
             p.SetGbkText(Gbk("一二三"));
             p.Select(1, 1);
             p.SetSelectionFormat(blue);
             p.Select(2, 2);
             p.ReplaceSelection(Gbk("四"), kCodePageGbk, true);
             p.Select(0, 0);
             p.ReplaceSelection(AString("x"), kCodePageWestern, true);
             p.Select(1, -1);
             p.SetSelectionFormat(green);
         }},
        {"word list", [&](ReportPane& p, auto& map) { FillInfoPane(p, *lexicon_, Gbk("银行行长了解情况，他说：好。"), style, map); }},
        {"word list without pinyin",
         [&](ReportPane& p, auto& map) { FillInfoPane(p, *lexicon_, Gbk("我们学习中文abc 123"), noPinyin, map); }},
        {"character report", [&](ReportPane& p, auto& map) { FillInfoPane(p, *lexicon_, Gbk("中"), style, map); }},
        {"character report, Chinese labels",
         [&](ReportPane& p, auto& map) { FillInfoPane(p, *lexicon_, Gbk("好"), chinese, map); }},
        {"word report", [&](ReportPane& p, auto& map) { FillInfoPane(p, *lexicon_, Gbk("银行"), style, map); }},
        {"a second report replaces the first",
         [&](ReportPane& p, auto& map) {
             FillInfoPane(p, *lexicon_, Gbk("银行行长"), style, map);
             FillInfoPane(p, *lexicon_, Gbk("中"), style, map);
         }},
    };
    // Written piece by piece into the control, and streamed in at once.
    for (const bool streamed : {false, true}) {
        for (const ContractCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (streamed ? ", streamed" : ", piece by piece"));
            PlainReportPane plain;
            std::vector<typWordPos> plainMap, richMap;
            c.write(plain, plainMap);
            Pane().SetGbkText(AString());
            Pane().Select(0, 0);
            if (streamed) {
                PlainReportPane content;
                c.write(content, richMap);
                Pane().LoadReport(content);
            } else {
                c.write(Pane(), richMap);
            }
            ExpectSameContent(plain, plainMap, richMap);
        }
    }
}

// ---- Text exchange and formats ----

TEST_F(TorviEdit, TextInAndOutInTheCodePage) {
    SetUtf8("银行\r\nab");
    EXPECT_EQ(Text(), Utf16("银行\rab"));
    EXPECT_EQ(Pane().GetTextLength(), 5) << "a paragraph end counts one unit";
    EXPECT_EQ(Selection(), std::make_pair(0, 0));
    AString gbk;
    EXPECT_EQ(Pane().GetText(gbk, -1), 7);
    EXPECT_EQ(Bytes(gbk), GbkBytes("银行\rab"));

    Pane().Select(1, 2);
    AString wide;
    EXPECT_EQ(Pane().GetSelectedText(wide, 1200), 1);
    EXPECT_TRUE(wide.IsWide());
    EXPECT_EQ(std::u16string(wide.WideData(), 1), Utf16("行"));

    Pane().Select(2, 2);
    Pane().SetText(AString("xy"), true, -1, kCodePageWestern, true);
    EXPECT_EQ(Text(), Utf16("银行xy\rab"));
    EXPECT_EQ(Selection(), std::make_pair(4, 4)) << "at the selection the caret stays after the text";

    Pane().AppendText(Gbk("好"), 0);
    EXPECT_EQ(Text(), Utf16("银行xy\rab好"));
}

TEST_F(TorviEdit, BaseFormatAndAppendMakeEverythingPlain) {
    SetUtf8("银行");
    const PaneCharFormat base = Pane().FormatAt(0);
    EXPECT_FALSE(base.bold);
    EXPECT_EQ(base.twips, 200);
    EXPECT_EQ(base.charset, 134);
    EXPECT_EQ(base.face, Pane().DefaultPaneFormat().face);

    Pane().Select(0, -1);
    Pane().SetSelectionFormat({true, PaneRgb(255, 0, 0), 400, 134, "Arial"});
    Pane().AppendText(Gbk("了解"), 0);
    for (int i = 0; i < 4; i++) {
        const PaneCharFormat f = Pane().FormatAt(i);
        EXPECT_FALSE(f.bold) << i;
        EXPECT_EQ(f.face, base.face) << i;
        if (i < 2) {
            EXPECT_EQ(f.colour, PaneRgb(255, 0, 0)) << "colours stay";
            EXPECT_EQ(f.twips, 400) << "sizes stay";
        }
    }

    Pane().ApplyBaseFormat(0, 1, 12);
    EXPECT_EQ(Pane().FormatAt(0).twips, 240);
    EXPECT_EQ(Pane().FormatAt(1).twips, 400);
}

TEST_F(TorviEdit, InitialiseKeepsTheCharactersInAnotherCodePage) {
    SetUtf8("银行");
    EXPECT_EQ(Pane().Initialise(2), 1);
    EXPECT_EQ(Pane().CodePage, kCodePageBig5);
    EXPECT_EQ(Pane().Initialised, 1);
    EXPECT_EQ(Text(), Utf16("银行"));
    EXPECT_EQ(Pane().FormatAt(0).charset, 136);
    Pane().Initialise(1);
    EXPECT_EQ(Pane().CodePage, kCodePageGbk);
}

// ---- Clipboard ----

TEST_F(TorviEdit, CopyCarriesGbkWithTheChineseLocale) {
    SetUtf8("我们银行abc");
    Pane().Select(2, 7);
    PutClipboard({{CF_UNICODETEXT, Utf16Bytes(u"old")}});
    Key(Edit(), 'C', true);
    EXPECT_EQ(ClipboardBytes(CF_TEXT).c_str(), GbkBytes("银行abc"));
    const std::string locale = ClipboardBytes(CF_LOCALE);
    ASSERT_EQ(locale.size(), 4u);
    EXPECT_EQ(*reinterpret_cast<const DWORD*>(locale.data()), 0x0804u);
    const std::string unicode = ClipboardBytes(CF_UNICODETEXT);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(unicode.data())), Utf16("银行abc"))
        << "another program reads the same characters";
    {
        ClipboardOpen clipboard(nullptr);
        int own = 0;
        for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
            if (f != CF_TEXT && f != CF_LOCALE && f != CF_UNICODETEXT && f != CF_OEMTEXT) own++;
        EXPECT_EQ(own, 0) << "only the text and its locale, and what the system makes of them";
    }

    Pane().Select(3, 3);
    PutClipboard({{CF_TEXT, std::string("keep", 5)}});
    Pane().CopySelection();
    EXPECT_EQ(std::string(ClipboardBytes(CF_TEXT).c_str()), "keep") << "an empty selection copies nothing";
}

TEST_F(TorviEdit, ReadClipboardBytesByFormat) {
    struct Case {
        const char* name;
        std::vector<std::pair<UINT, std::string>> formats;
        int requested;
        std::string bytes;
        int used;
        int locale;
    };
    // Every case names its locale, as the system makes one up otherwise.
    const auto locale = [](DWORD lcid) { return std::make_pair(UINT(CF_LOCALE), std::string(reinterpret_cast<const char*>(&lcid), 4)); };
    const std::string widened = Utf16Bytes(std::u16string(u"\u00D2\u00F8\u00D0\u00D0"));  // 银行 as GBK bytes widened
    const Case cases[] = {
        {"UTF-16 in GBK", {{CF_UNICODETEXT, Utf16Bytes(Utf16("银行ab"))}, locale(0x0407)}, 936, GbkBytes("银行ab"), 936, 1252},
        {"UTF-16 in Big5 when asked", {{CF_UNICODETEXT, Utf16Bytes(Utf16("銀"))}, locale(0x0804)}, 950, "\xBB\xC8", 950, 936},
        {"UTF-16 in GBK for any other page", {{CF_UNICODETEXT, Utf16Bytes(Utf16("銀"))}, locale(0x0804)}, 1252, GbkBytes("銀"), 936, 936},
        {"widened GBK falls back to the 8-bit text",
         {{CF_UNICODETEXT, widened}, {CF_TEXT, GbkBytes("银行") + '\0'}, locale(0x0804)},
         936,
         GbkBytes("银行"),
         936,
         936},
        {"8-bit Big5 read through the UTF-16 the system makes of it",
         {{CF_TEXT, std::string("\xBB\xC8\x00", 3)}, locale(0x0404)},
         936,
         GbkBytes("銀"),
         936,
         950},
        {"nothing", {}, 936, "", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutClipboard(c.formats);
        AString out;
        int used = 0, locale = 0;
        EXPECT_EQ(CTorviEditCtrl::ReadClipboardBytes(out, c.requested, used, locale), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(Bytes(out), c.bytes);
        EXPECT_EQ(used, c.used);
        EXPECT_EQ(locale, c.locale);
    }
}

TEST_F(TorviEdit, PasteReplacesThePlaceholderAndLeavesTheCaretAtTheStart) {
    SetUtf8("<Paste Chinese text here>");
    Pane().HasPlaceholder = 1;
    Pane().PasteReplacesEmpty = 1;
    SendMessageW(Edit(), WM_CHAR, 'x', 1);
    EXPECT_EQ(Text().size(), 26u) << "typing keeps the placeholder";
    EXPECT_EQ(Pane().HasPlaceholder, 1);

    PutClipboard({{CF_UNICODETEXT, Utf16Bytes(Utf16("银行行长"))}});
    Pane().Select(3, 3);
    Key(Edit(), 'V', true);
    EXPECT_EQ(Text(), Utf16("银行行长"));
    EXPECT_EQ(Selection(), std::make_pair(0, 0));
    EXPECT_EQ(Pane().HasPlaceholder, 0);

    Pane().Select(4, 4);
    Key(Edit(), VK_INSERT, false, true);
    EXPECT_EQ(Text(), Utf16("银行行长银行行长"));
    EXPECT_EQ(Selection(), std::make_pair(8, 8)) << "a paste that replaced nothing leaves the caret after it";
    if (!IsChineseSystem) {
        EXPECT_EQ(Pane().FormatAt(6).twips, 200);
        EXPECT_EQ(Pane().FormatAt(6).face, Pane().DefaultPaneFormat().face);
    }
}

TEST_F(TorviEdit, PasteOfBig5TextKeepsItsCharacters) {
    const DWORD big5Locale = 0x0404;
    PutClipboard({{CF_TEXT, std::string("\xBB\xC8\xA6\xE6\x00", 5)},
                  {CF_LOCALE, std::string(reinterpret_cast<const char*>(&big5Locale), 4)}});
    Pane().PasteText();
    EXPECT_EQ(Text(), Utf16("銀行"));
}

TEST_F(TorviEdit, PasteIntoAReadOnlyPaneChangesNothing) {
    PaneHost readOnly(lexicon_, ES_READONLY);
    readOnly.pane.SetText(Gbk("信息"), false, 0, 936, false);
    PutClipboard({{CF_UNICODETEXT, Utf16Bytes(Utf16("银行"))}});
    Key(readOnly.edit, 'V', true);
    AString text;
    readOnly.pane.GetText(text, -1);
    EXPECT_EQ(Bytes(text), GbkBytes("信息"));
}

// ---- Find ----

TEST_F(TorviEdit, F3WalksThroughOverlappingMatchesThenReportsNotFound) {
    SetUtf8("aaaa");
    Pane().FindPattern = "aa";
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < 3; i++) {
        Key(Edit(), VK_F3);
        seen.push_back(Selection());
    }
    const std::vector<std::pair<int, int>> expected{{0, 2}, {1, 3}, {2, 4}};
    EXPECT_EQ(seen, expected);
    std::string message;
    DialogScript script({[&] {
        CMsgBox* box = OpenDialogOf<CMsgBox>();
        if (!box) return false;
        message = box->Text.GetString();
        PostMessageW(box->Hwnd(), WM_COMMAND, IDOK, 0);
        return true;
    }});
    Key(Edit(), VK_F3);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(message, "Text not found!");
    EXPECT_EQ(Selection(), std::make_pair(2, 4)) << "the selection stays";
    EXPECT_EQ(Pane().FindNext(true, false), 0) << "quiet: no message";
}

TEST_F(TorviEdit, SearchBackwardsAndCase) {
    SetUtf8("aaaa ABC abc");
    Pane().FindPattern = "aa";
    Pane().Select(2, 4);
    EXPECT_EQ(Pane().SearchText(true), 1);
    EXPECT_EQ(Selection(), std::make_pair(1, 3));
    {
        KeyState shift(false, true);
        Pane().Select(2, 4);
        SendMessageW(Edit(), WM_COMMAND, ID_FIND_NEXT, 0);
        EXPECT_EQ(Selection(), std::make_pair(1, 3)) << "Shift held: backwards";
    }
    Pane().Select(0, 0);
    EXPECT_EQ(Pane().SearchText(true), 0) << "nothing before the start";

    struct Case {
        const char* pattern;
        int matchCase;
        int found;
        std::pair<int, int> at;
    };
    for (const Case& c : {Case{"abc", 0, 1, {5, 8}}, Case{"abc", 1, 1, {9, 12}}, Case{"ABC", 1, 1, {5, 8}},
                          Case{"aBc", 1, 0, {0, 0}}}) {
        SCOPED_TRACE(c.pattern);
        AppSettings.matchCase = c.matchCase;
        Pane().FindPattern = c.pattern;
        Pane().Select(0, 0);
        EXPECT_EQ(Pane().SearchText(false), c.found);
        EXPECT_EQ(Selection(), c.at);
    }
    SetUtf8("Ａ");  // case folding covers A to Z only
    AppSettings.matchCase = 0;
    Pane().FindPattern = Gbk("ａ");
    Pane().Select(0, 0);
    EXPECT_EQ(Pane().SearchText(false), 0);

    Pane().FindPattern.Empty();
    EXPECT_EQ(Pane().SearchText(false), -1);
}

TEST_F(TorviEdit, WordAtCaret) {
    SetUtf8("你好 reader_2 x");
    struct Case {
        int caret;
        int result;
        std::u16string word;
    };
    const Case cases[] = {{2, 1, u"好"}, {1, 1, u"你"}, {0, 1, u"你"}, {6, 2, u"reader_2"}, {11, 2, u"reader_2"},
                          {3, 2, u"reader_2"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caret);
        Pane().Select(c.caret, c.caret);
        AString out;
        EXPECT_EQ(Pane().WordAtCaret(out), c.result);
        EXPECT_EQ(out.IsWide(), c.result == 1);
        if (out.IsWide()) out.ToNarrow(kCodePageGbk);
        AString expected(c.word.data(), static_cast<int>(c.word.size()));
        expected.ToNarrow(kCodePageGbk);
        EXPECT_EQ(Bytes(out), Bytes(expected));
        EXPECT_EQ(Selection(), std::make_pair(c.caret, c.caret));
    }
}

}  // namespace

namespace {

// ---- The find dialog from the pane ----

class TorviEditFind : public TorviEdit {
protected:
    // Opens the find dialog with Ctrl+F at the caret, records its text, then runs `then`.
    std::wstring OpenAt(int caret, std::vector<DialogScript::Step> then) {
        Pane().Select(caret, caret);
        std::wstring shown;
        std::vector<DialogScript::Step> steps{[&] {
            CFindText* find = OpenDialogOf<CFindText>();
            if (!find) return false;
            shown = TextOf(GetDlgItem(find->Hwnd(), IDC_FIND_TEXT));
            return true;
        }};
        steps.insert(steps.end(), then.begin(), then.end());
        DialogScript script(steps);
        Key(Edit(), 'F', true);
        EXPECT_TRUE(script.Finished());
        return shown;
    }
    static DialogScript::Step Press(int id) {
        return [id] {
            CFindText* find = OpenDialogOf<CFindText>();
            if (!find) return false;
            PostMessageW(GetDlgItem(find->Hwnd(), id), BM_CLICK, 0, 0);
            return true;
        };
    }
    static DialogScript::Step Type(const wchar_t* text) {
        return [text] {
            CFindText* find = OpenDialogOf<CFindText>();
            if (!find) return false;
            SetWindowTextW(GetDlgItem(find->Hwnd(), IDC_FIND_TEXT), text);
            return true;
        };
    }
};

TEST_F(TorviEditFind, CtrlFPreFillsTheWordAtTheCaret) {
    SetUtf8("你好 reader_2");
    EXPECT_EQ(OpenAt(2, {Press(IDCANCEL)}), L"\u597D");
    EXPECT_EQ(OpenAt(7, {Press(IDCANCEL)}), L"reader_2");
    EXPECT_TRUE(Pane().FindPattern.IsEmpty()) << "a cancelled dialog searches nothing";
    EXPECT_EQ(GetFocus(), Edit());
}

TEST_F(TorviEditFind, StartButtonsSearchFromTheTopOrBackwardsFromTheBottom) {
    SetUtf8("ab x ab x ab");
    AppSettings.matchCase = 0;
    OpenAt(6, {Type(L"AB"), Press(IDC_FIND_FROM_TOP)});
    EXPECT_EQ(Selection(), std::make_pair(0, 2));
    EXPECT_EQ(Bytes(Pane().FindPattern), "AB");

    OpenAt(6, {Type(L"ab"), Press(IDC_UP_FINDING), Press(IDC_FIND_FROM_BOTTOM)});
    EXPECT_EQ(Selection(), std::make_pair(10, 12)) << "Up: the last match, searching backwards";

    OpenAt(6, {Type(L"ab"), Press(IDOK)});
    EXPECT_EQ(Selection(), std::make_pair(10, 12)) << "Find: forwards from the caret";

    Pane().Select(12, 12);
    Key(Edit(), VK_F3, false, true);
    EXPECT_EQ(Selection(), std::make_pair(10, 12)) << "Shift+F3 backwards from the caret";
}

TEST_F(TorviEditFind, F3WithoutAPatternOpensTheDialog) {
    SetUtf8("abc");
    bool opened = false;
    DialogScript script({[&] {
        CFindText* find = OpenDialogOf<CFindText>();
        if (!find) return false;
        opened = true;
        PostMessageW(find->Hwnd(), WM_COMMAND, IDCANCEL, 0);
        return true;
    }});
    Key(Edit(), VK_F3);
    EXPECT_TRUE(opened);
}

// ---- Context menu, notifications, scrolling ----

HWND OpenMenuWindow() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND h, LPARAM out) {
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            if (lstrcmpW(cls, L"#32768") != 0 || !IsWindowVisible(h)) return TRUE;
            *reinterpret_cast<HWND*>(out) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(TorviEdit, ContextMenuIsOwnerDrawnAndADismissalSendsZero) {
    SetUtf8("银行行长");
    AStringArray names;
    for (const char* n : {"Copy", "", "Find", "Speak"}) names.Add(n);
    Pane().SetContextItems(names, {ID_EDIT_COPY, 0, ID_EDIT_FIND, 40001});
    std::vector<UINT> types;
    std::string saved;
    bool menuSeen = false;
    int ticks = 0;
    auto openMenu = [&](std::function<void(HWND)> act) {
        return [&, act] {
            const HWND menuWindow = OpenMenuWindow();
            if (!menuWindow) return false;
            menuSeen = true;
            act(menuWindow);
            return true;
        };
    };
    {
        DialogScript script({openMenu([&](HWND w) {
            const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(w, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(menu); i++) {
                MENUITEMINFOW info{};
                info.cbSize = sizeof info;
                info.fMask = MIIM_FTYPE;
                GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
                types.push_back(info.fType);
            }
        }),
                             [&] { return ++ticks > 8; },  // the system sizes and draws it meanwhile
                             openMenu([&](HWND w) {
                                 UpdateWindow(w);
                                 saved = SaveScreenshot(w, "reader/context_menu");
                                 EndMenu();
                             })});
        host_->received.clear();
        SetForegroundWindow(host_->Hwnd());
        SendMessageW(Edit(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 10));
        EXPECT_TRUE(script.Finished());
    }
    ASSERT_TRUE(menuSeen);
    ASSERT_EQ(types.size(), 4u);
    EXPECT_TRUE(types[0] & MFT_OWNERDRAW);
    EXPECT_TRUE(types[1] & MFT_SEPARATOR);
    EXPECT_TRUE(types[3] & MFT_OWNERDRAW);
    EXPECT_FALSE(saved.empty());
    EXPECT_EQ(host_->received, (std::vector<std::pair<UINT, WPARAM>>{{WM_COMMAND, 0}}));

    Pane().SetContextItems(AStringArray(), {});
    host_->received.clear();
    SendMessageW(Edit(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 10));
    EXPECT_TRUE(host_->received.empty()) << "no items: no menu";
}

TEST_F(TorviEdit, NotificationsToTheParent) {
    Pane().Initialise(1);
    host_->received.clear();
    SetUtf8("abc");
    EXPECT_TRUE(host_->received.empty()) << "NotifyChange clear";
    Pane().NotifyChange = 1;
    SendMessageW(Edit(), WM_CHAR, 'x', 1);
    ASSERT_FALSE(host_->received.empty());
    EXPECT_EQ(host_->received.front(), std::make_pair(WM_EDIT_CHANGED, WPARAM(kPaneId)));
    host_->received.clear();
    SendMessageW(Edit(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(Edit(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(host_->received, (std::vector<std::pair<UINT, WPARAM>>{{WM_EDIT_LBUTTONUP, kPaneId}}));
}

TEST_F(TorviEdit, CtrlDownScrollsAndKeepsTheCaretVisible) {
    std::string lines;
    for (int i = 0; i < 60; i++) lines += "line " + std::to_string(i) + "\r\n";
    SetUtf8(lines);
    Pane().Select(2, 2);
    auto first = [&] { return static_cast<int>(SendMessageW(Edit(), EM_GETFIRSTVISIBLELINE, 0, 0)); };
    auto caretLine = [&] { return static_cast<int>(SendMessageW(Edit(), EM_EXLINEFROMCHAR, 0, Selection().first)); };
    // Wine's rich edit scrolls by its own line height: the view moves, the
    // caret follows to the first visible line at its column.
    for (int i = 0; i < 4; i++) {
        Key(Edit(), VK_DOWN, true);
        EXPECT_GE(caretLine(), first()) << i;
    }
    ASSERT_GT(first(), 0) << "the view moved down";
    EXPECT_EQ(caretLine(), first());
    EXPECT_EQ(Selection().first - SendMessageW(Edit(), EM_LINEINDEX, caretLine(), 0), 2) << "at its column";
    const int down = first();
    const int caret = Selection().first;
    Key(Edit(), VK_UP, true);
    Key(Edit(), VK_UP, true);
    EXPECT_LT(first(), down) << "the view moved up";
    EXPECT_EQ(Selection().first, caret) << "still visible: the caret stays";
}

// ---- Pictures ----

TEST_F(TorviEdit, ScreenshotsOfAWordListAndACharacterReport) {
    PaneHost big(lexicon_, ES_READONLY, 560, 420);
    InfoPaneStyle style;
    style.chineseFace = "SimSun";
    std::vector<typWordPos> map;
    PlainReportPane content;
    FillInfoPane(content, *lexicon_, Gbk("银行行长了解情况，我们学习中文。"), style, map);
    big.pane.LoadReport(content);
    UpdateWindow(big.Hwnd());
    EXPECT_FALSE(SaveScreenshot(big.Hwnd(), "reader/pane_word_list").empty());
    FillInfoPane(big.pane, *lexicon_, Gbk("好"), style, map);
    UpdateWindow(big.Hwnd());
    EXPECT_FALSE(SaveScreenshot(big.Hwnd(), "reader/pane_char_report").empty());
}

}  // namespace
