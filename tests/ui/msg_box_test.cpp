// The message box under Wine, run modally as the program runs it: a thread
// timer finds the open box, looks at it and presses a key.
#include "ui/msg_box.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "tests/support/screenshot.h"
#include "tests/support/text_literals.h"
#include "tests/ui/dialog_base_fixture.h"

namespace {

struct Probe {
    WPARAM key = VK_RETURN;
    std::function<void(CMsgBox&)> inspect;
    bool seen = false;
};
Probe* probe = nullptr;

HWND OpenBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM out) {
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(h)) return TRUE;
            *reinterpret_cast<HWND*>(out) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK OnProbeTimer(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND box = OpenBox();
    if (!box || !probe) return;  // not open yet: the next tick
    KillTimer(nullptr, id);
    auto* dialog = dynamic_cast<CMsgBox*>(reinterpret_cast<Dialog*>(GetWindowLongPtrW(box, DWLP_USER)));
    if (dialog && probe->inspect) probe->inspect(*dialog);
    probe->seen = dialog != nullptr;
    HWND target = GetFocus();
    if (!target || (target != box && !IsChild(box, target))) target = box;
    PostMessageW(target, WM_KEYDOWN, probe->key, 1);
    PostMessageW(target, WM_KEYUP, probe->key, 0xC0000001);
}

// Ends a box that the key did not close.
void CALLBACK OnWatchdog(HWND, UINT, UINT_PTR id, DWORD) {
    if (const HWND box = OpenBox()) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

class MsgBoxTest : public DialogBaseFixture {
protected:
    template <class F>
    int Run(WPARAM key, F show, std::function<void(CMsgBox&)> inspect = {}) {
        Probe p{key, std::move(inspect)};
        probe = &p;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnProbeTimer);
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, OnWatchdog);
        const int result = show();
        KillTimer(nullptr, timer);
        KillTimer(nullptr, watchdog);
        probe = nullptr;
        EXPECT_TRUE(p.seen) << "the box was not seen open";
        return result;
    }
};

TEST_F(MsgBoxTest, ResultsByTypeDefaultButtonAndKey) {
    struct Case {
        int type, defaultButton;
        WPARAM key;
        int result;
    } cases[] = {
        {4, 7, VK_RETURN, 7}, {4, 6, VK_RETURN, 6},  {4, -1, VK_RETURN, 6}, {4, -1, VK_ESCAPE, 2},
        {4, 7, VK_ESCAPE, 2}, {0, -1, VK_RETURN, 1}, {0, -1, VK_ESCAPE, 2}, {1, -1, VK_RETURN, 1},
        {1, 2, VK_RETURN, 2}, {1, -1, VK_ESCAPE, 2}, {3, -1, VK_RETURN, 1}, {3, 2, VK_RETURN, 2},
    };
    for (int language : {0, 1}) {
        Use(language);
        for (const Case& c : cases) {
            std::string shown;
            const int result = Run(
                c.key, [&] { return ShowMessage("Question", c.type, false, c.defaultButton, nullptr); },
                [&](CMsgBox& box) {
                    for (int id : {IDOK, IDYES, IDNO, IDCANCEL})
                        if (IsWindowVisible(box.Item(id))) shown += std::to_string(id) + " ";
                });
            EXPECT_EQ(result, c.result) << "language " << language << " type " << c.type << " default "
                                        << c.defaultButton << " key " << c.key;
            EXPECT_EQ(shown, c.type == 0 ? "1 " : c.type == 4 ? "6 7 " : "1 2 ") << c.type;
        }
    }
}

TEST_F(MsgBoxTest, LinesSplitAtMostEight) {
    struct Case {
        const char* text;
        int count;
        const char* last;
    } cases[] = {
        {"", 1, ""},
        {"one", 1, "one"},
        {"one\ntwo", 2, "two"},
        {"one\n", 2, ""},
        {"1\n2\n3\n4\n5\n6\n7\n8", 8, "8"},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10", 8, "8"},
    };
    for (const Case& c : cases) {
        int count = 0;
        AString last;
        Run(
            VK_RETURN, [&] { return ShowMessage(c.text, 0, false, -1, nullptr); },
            [&](CMsgBox& box) {
                count = box.LineCount;
                last = box.Lines[box.LineCount - 1];
            });
        EXPECT_EQ(count, c.count) << c.text;
        EXPECT_STREQ(last.GetString(), c.last) << c.text;
    }
}

TEST_F(MsgBoxTest, LinesTranslatedAndDrawnAsGlyphTextOnlyWhenFound) {
    struct Case {
        int language;
        bool literal;
        const char* lastLine0;  // UTF-8
        bool glyph0, glyph1;
    } cases[] = {
        {0, false, "Translated line", false, false},
        {1, false, "翻译的行", true, false},
        {1, true, "Translated line", true, true},  // already in the interface language
    };
    for (const Case& c : cases) {
        Use(c.language);
        AString line0, line1;
        bool glyph[2] = {};
        Run(
            VK_RETURN, [&] { return ShowMessage("Translated line\nNot in the file", 0, c.literal, -1, nullptr); },
            [&](CMsgBox& box) {
                line0 = box.Lines[0];
                line1 = box.Lines[1];
                glyph[0] = box.LineIsGlyph[0];
                glyph[1] = box.LineIsGlyph[1];
                // Each line is painted where it was placed.
                auto pic = CaptureWindow(box.Hwnd());
                ASSERT_TRUE(pic);
                RECT wr;
                GetWindowRect(box.Hwnd(), &wr);
                POINT origin{0, 0};
                ClientToScreen(box.Hwnd(), &origin);
                for (int i = 0; i < 2; i++) {
                    const int x0 = origin.x - wr.left + box.LinePos[i].x, y0 = origin.y - wr.top + box.LinePos[i].y;
                    int dark = 0;
                    for (int y = y0; y < y0 + 14 && y < pic->Height(); y++)
                        for (int x = x0; x < x0 + 60 && x < pic->Width(); x++) {
                            const std::uint32_t p = pic->Pixel(x, y);
                            if (int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF) < 300) dark++;
                        }
                    EXPECT_GT(dark, 20) << "line " << i << " language " << c.language;
                }
            });
        EXPECT_EQ(line0, Gbk(c.lastLine0)) << c.language << c.literal;
        EXPECT_STREQ(line1.GetString(), "Not in the file");
        EXPECT_EQ(glyph[0], c.glyph0) << c.language << c.literal;
        EXPECT_EQ(glyph[1], c.glyph1) << c.language << c.literal;
    }
}

TEST_F(MsgBoxTest, OneEmptyLineSizesFromTheButtonMetrics) {
    for (int type : {0, 4}) {
        RECT window{}, client{}, button{};
        bool inside = false;
        Run(
            VK_RETURN, [&] { return ShowMessage("", type, false, -1, nullptr); },
            [&](CMsgBox& box) {
                GetWindowRect(box.Hwnd(), &window);
                GetClientRect(box.Hwnd(), &client);
                const HWND first = box.Item(type == 4 ? IDYES : IDOK), second = box.Item(type == 4 ? IDNO : IDOK);
                GetWindowRect(first, &button);
                RECT b2;
                GetWindowRect(second, &b2);
                MapWindowPoints(nullptr, box.Hwnd(), reinterpret_cast<POINT*>(&b2), 2);
                inside = b2.left >= 0 && b2.right <= client.right && b2.bottom <= client.bottom && b2.top > 0;
            });
        const int bw = button.right - button.left, bh = button.bottom - button.top;
        EXPECT_EQ(window.right - window.left, std::max(3 * bh, (type ? 3 : 2) * bw)) << type;
        EXPECT_GE(window.bottom - window.top, 5 * bh / 2) << type;
        EXPECT_TRUE(inside) << "buttons inside the client area, type " << type << ": window "
                            << window.bottom - window.top << " client " << client.bottom << " button height " << bh;
    }
}

TEST_F(MsgBoxTest, WiderAndTallerForMoreText) {
    SIZE one{}, eight{};
    auto sizeOf = [&](const char* text, SIZE& out) {
        Run(
            VK_RETURN, [&] { return ShowMessage(text, 0, false, -1, nullptr); },
            [&](CMsgBox& box) {
                RECT r;
                GetWindowRect(box.Hwnd(), &r);
                out = {r.right - r.left, r.bottom - r.top};
                RECT c;
                GetClientRect(box.Hwnd(), &c);
                RECT ok;
                GetWindowRect(box.Item(IDOK), &ok);
                MapWindowPoints(nullptr, box.Hwnd(), reinterpret_cast<POINT*>(&ok), 2);
                // The last line ends above the button.
                EXPECT_LT(box.LinePos[box.LineCount - 1].y + 8, ok.top) << text;
            });
    };
    sizeOf("A rather long line of text that needs a wide box to be shown in full", one);
    sizeOf("1\n2\n3\n4\n5\n6\n7\n8", eight);
    EXPECT_GT(one.cx, eight.cx);
    EXPECT_GT(eight.cy, one.cy);
}

TEST_F(MsgBoxTest, CaptionIsTheCallersAndTranslated) {
    for (int language : {0, 1}) {
        Use(language);
        std::u16string windowText, title;
        Run(
            VK_RETURN, [&] { return ShowMessageWithCaption(Utf16("再见"), 0, true, -1, u"Find"); },
            [&](CMsgBox& box) {
                windowText = WindowTextUtf16(box.Hwnd());
                title = box.Title;
            });
        EXPECT_EQ(windowText, language ? u"" : u"Find");
        EXPECT_EQ(title, language ? Utf16("查找") : u"");
    }
}

TEST_F(MsgBoxTest, WideTextConvertedToGbk) {
    AString line;
    Run(
        VK_RETURN, [&] { return ShowMessageW(Utf16("银行\n行长"), 0, true, -1, nullptr); },
        [&](CMsgBox& box) { line = box.Lines[1]; });
    EXPECT_EQ(line, Gbk("行长"));
}

TEST_F(MsgBoxTest, HostileFormatsNeverReachMemory) {
    Use(1);
    const std::string big(20000, 'z');
    struct Case {
        std::function<int()> show;
        std::function<void(const AString&)> check;
    } cases[] = {
        // A number for %s, %n, too many conversions, wild width and precision.
        {[] { return ShowFormattedMessage("Count %d", 0, false, 7); },
         [](const AString& line) { EXPECT_LT(line.GetLength(), 2000); }},
        // A 20,000-byte argument.
        {[&] { return ShowFormattedMessage("Saved as %s.", 0, false, AString(big.c_str())); },
         [&](const AString& line) { EXPECT_EQ(line, Gbk("已保存为 " + big + "。")); }},
        // A 20,000-byte value is cut to the buffer.
        {[] { return ShowFormattedMessage("Long value", 0, false); },
         [](const AString& line) {
             EXPECT_EQ(line.GetLength(), kFormattedMessageBuffer - 1);
             EXPECT_EQ(line.Find("x"), 0);
         }},
        // Literal: the key is the format itself, never looked up.
        {[] { return ShowFormattedMessage("Long value %s%s%n", 0, true, 5); },
         [](const AString& line) { EXPECT_EQ(line.Find("Long value"), 0); }},
    };
    for (Case& c : cases) {
        AString line;
        bool glyph = false;
        const int result = Run(VK_RETURN, c.show, [&](CMsgBox& box) {
            line = box.Lines[0];
            glyph = box.LineIsGlyph[0];
        });
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(glyph);  // formatted messages are literal
        c.check(line);
    }
}

}  // namespace
