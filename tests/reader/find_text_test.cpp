// The find dialog under Wine on the program's template, run modally as the
// rich-edit control runs it, with its history in a scratch folder.
#include "reader/find_text.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "res/resource_ids.h"
#include "tests/reader/dialog_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "tests/support/text_literals.h"
#include "tests/ui/interface_language.h"
#include "ui/msg_box.h"

namespace {

std::wstring W(std::string_view utf8) {
    const std::u16string u = Utf16(utf8);
    return std::wstring(u.begin(), u.end());
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class FindTextTest : public ::testing::Test {
protected:
    void SetUp() override { dialog_.HistoryFolder = history_.Path() + "\\"; }
    HWND Item(int id) const { return GetDlgItem(dialog_.Hwnd(), id); }
    bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    // A step that clicks a button of the open find dialog.
    DialogScript::Step Click(int id) {
        return [this, id] {
            if (!IsWindowVisible(dialog_.Hwnd())) return false;
            PostMessageW(Item(id), BM_CLICK, 0, 0);  // a message box may run its loop
            return true;
        };
    }
    DialogScript::Step Type(std::string_view utf8) {
        const std::wstring text = W(utf8);
        return [this, text] {
            SetWindowTextW(Item(IDC_FIND_TEXT), text.c_str());
            return true;
        };
    }
    std::string HistoryFile() const { return history_.File("combomruFindText.bin"); }

    InterfaceLanguage language_{0};
    ScratchFolder history_{"zh_find"};
    CFindText dialog_{nullptr};
};

TEST_F(FindTextTest, UpFindingSwapsTheStartButtons) {
    std::vector<std::pair<bool, bool>> seen;  // (top visible, bottom visible)
    auto look = [&] {
        seen.emplace_back(Visible(IDC_FIND_FROM_TOP), Visible(IDC_FIND_FROM_BOTTOM));
        return true;
    };
    DialogScript script({[&] { return IsWindowVisible(dialog_.Hwnd()) && look(); }, Click(IDC_UP_FINDING), look,
                         Click(IDC_UP_FINDING), look, Click(IDCANCEL)});
    EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
    ASSERT_TRUE(script.Finished());
    const std::vector<std::pair<bool, bool>> expected{{true, false}, {false, true}, {true, false}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(dialog_.StartButtonUsed, 0);
}

TEST_F(FindTextTest, PreFilledWordEndsWithOkAtTheTopOfTheHistory) {
    std::ofstream(HistoryFile(), std::ios::binary) << GbkBytes("老\r\n银行\r\n");
    dialog_.PatternText = Utf16("银行");
    dialog_.MatchCase = 1;
    std::wstring shown;
    DialogScript script({[&] {
                             if (!IsWindowVisible(dialog_.Hwnd())) return false;
                             shown = TextOf(Item(IDC_FIND_TEXT));
                             return true;
                         },
                         Type("好"), Click(IDOK)});
    EXPECT_EQ(dialog_.DoModal(), IDOK);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(shown, W("银行"));
    EXPECT_EQ(dialog_.PatternText, Utf16("好"));
    EXPECT_EQ(dialog_.MatchCase, 1);
    EXPECT_EQ(dialog_.StartButtonUsed, 0);
    EXPECT_EQ(ReadFile(HistoryFile()).substr(0, 4), GbkBytes("好\r\n")) << "the new text heads the file";
    EXPECT_NE(ReadFile(HistoryFile()).find(GbkBytes("银行")), std::string::npos);
}

TEST_F(FindTextTest, EmptyTextAsksAndKeepsTheDialogOpen) {
    std::string message;
    bool findStillOpen = false;
    DialogScript script({Click(IDOK),
                         [&] {
                             CMsgBox* box = OpenDialogOf<CMsgBox>();
                             if (!box) return false;
                             message = box->Text.GetString();
                             PostMessageW(box->Hwnd(), WM_COMMAND, IDOK, 0);
                             return true;
                         },
                         [&] {
                             if (OpenDialogOf<CMsgBox>()) return false;
                             findStillOpen = IsWindowVisible(dialog_.Hwnd()) != FALSE;
                             return true;
                         },
                         Type("abc"), Click(IDC_FIND_FROM_TOP)});
    EXPECT_EQ(dialog_.DoModal(), IDOK);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(message, "Please give find text!");
    EXPECT_TRUE(findStillOpen);
    EXPECT_EQ(dialog_.PatternText, u"abc");
    EXPECT_EQ(dialog_.StartButtonUsed, 1);
    EXPECT_EQ(dialog_.Up, 0);
    EXPECT_EQ(ReadFile(HistoryFile()), "abc\r\n");
}

TEST_F(FindTextTest, FindFromBottomReportsUpAndTheStartButton) {
    DialogScript script({Type("aa"), Click(IDC_UP_FINDING), Click(IDC_FIND_FROM_BOTTOM)});
    EXPECT_EQ(dialog_.DoModal(), IDOK);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(dialog_.Up, 1);
    EXPECT_EQ(dialog_.StartButtonUsed, 1);
    EXPECT_EQ(dialog_.PatternText, u"aa");
}

TEST_F(FindTextTest, DoneEndsWithCancelAndLeavesThePattern) {
    DialogScript script({Type("zz"), Click(IDCANCEL)});
    EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
    EXPECT_TRUE(dialog_.PatternText.empty());
    EXPECT_EQ(dialog_.StartButtonUsed, 0);
}

TEST_F(FindTextTest, Screenshots) {
    std::ofstream(HistoryFile(), std::ios::binary) << GbkBytes("银行\r\nreader_2\r\n");
    for (int ui : {0, 1}) {
        language_.Use(ui);
        CFindText dialog(nullptr);
        dialog.HistoryFolder = dialog_.HistoryFolder;
        dialog.PatternText = Utf16("了解情况");
        std::string saved;
        DialogScript script({[&] { return IsWindowVisible(dialog.Hwnd()) != FALSE; },
                             [&] {
                                 UpdateWindow(dialog.Hwnd());
                                 saved = SaveScreenshot(dialog.Hwnd(), ui ? "reader/find_zh" : "reader/find_en");
                                 PostMessageW(dialog.Hwnd(), WM_COMMAND, IDCANCEL, 0);
                                 return true;
                             }});
        dialog.DoModal();
        EXPECT_FALSE(saved.empty());
    }
}

}  // namespace
