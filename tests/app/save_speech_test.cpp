// Saving speech as a WAV file, end to end: the program started in this process
// with the simulated voices, Wine's notepad holding the selection, the
// toolbar's menu item clicked and the name typed through the X server, the
// file written by the simulated voice. Pictures go to build/screens/save_speech.
#include "app/save_speech.h"

#include <windows.h>
// after windows.h
#include <dlgs.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/environment.h"
#include "app/mdi_app.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "res/resource_ids.h"
#include "speech/simulated_voice.h"
#include "speech/speech_engine.h"
#include "tests/app/program_harness.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "text/gbk.h"
#include "ui/mru_file_dlg.h"
#include "ui/msg_box.h"
#include "ui/owner_menu.h"
#include "ui/ui_strings.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
constexpr RECT kNotepadPlace{40, 40, 460, 340};

std::string Utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// ---- The voice list ----

TEST(SpeechFileVoices, ChineseVoicesComeFirstAndTheLastOfTheWantedNameIsPreselected) {
    AStringArray western, chinese;
    for (const char* n : {"Anna", "David", "Anna"}) western.Add(n);
    for (const char* n : {"Huihui", "Yaoyao"}) chinese.Add(n);
    const struct {
        const char* westernName;
        const char* chineseName;
        bool chineseText;
        int preselected;
    } cases[] = {{"David", "Yaoyao", true, 1}, {"David", "Yaoyao", false, 3},   {"Anna", "Huihui", false, 4},
                 {"Anna", "Huihui", true, 0},  {"Nobody", "Huihui", false, -1}, {"", "", true, -1}};
    for (const auto& c : cases) {
        const SpeechFileVoices v = SpeechFileVoiceList(western, chinese, c.westernName, c.chineseName, c.chineseText);
        ASSERT_EQ(v.names.GetSize(), 5);
        const char* order[] = {"Huihui", "Yaoyao", "Anna", "David", "Anna"};
        for (int i = 0; i < 5; i++) EXPECT_STREQ(v.names.GetAt(i).GetString(), order[i]);
        EXPECT_EQ(v.preselected, c.preselected) << c.westernName << " " << c.chineseName << " " << c.chineseText;
    }
}

// ---- The program ----

// A WAV file's RIFF header and the length of its data.
struct WaveFile {
    bool valid = false;
    std::uint16_t format = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0, dataBytes = 0;
};
WaveFile ReadWave(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    const std::string b(std::istreambuf_iterator<char>(in), {});
    WaveFile w;
    auto u32 = [&](size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; i--) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
        return v;
    };
    auto u16 = [&](size_t at) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1])
                                                                                  << 8);
    };
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0 || u32(4) != b.size() - 8)
        return w;
    bool fmt = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const std::uint32_t size = u32(at + 4);
        if (at + 8 + size > b.size()) return w;
        if (id == "fmt " && size >= 16) {
            fmt = true;
            w.format = u16(at + 8);
            w.channels = u16(at + 10);
            w.rate = u32(at + 12);
            w.bits = u16(at + 22);
        } else if (id == "data") {
            w.dataBytes = size;
            w.valid = fmt;
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

DWORD ProgramThread() { return GetWindowThreadProcessId(ToolbarWindow, nullptr); }

// The program's message box (a visible dialog of the program's thread that is
// one of ours) and its text in UTF-8.
struct OpenBox {
    HWND hwnd = nullptr;
    std::string text;
};
OpenBox WaitForMessageBox(std::chrono::milliseconds limit = 10s) {
    OpenBox found;
    WaitUntil(
        [&] {
            struct Search {
                HWND box;
            } s{nullptr};
            EnumThreadWindows(
                ProgramThread(),
                [](HWND h, LPARAM l) {
                    wchar_t cls[16] = {};
                    GetClassNameW(h, cls, 16);
                    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(h)) return TRUE;
                    auto* d = reinterpret_cast<Dialog*>(GetWindowLongPtrW(h, DWLP_USER));
                    if (h == (CMRUFileDlg::Active() ? CMRUFileDlg::Active()->StandardDialog() : nullptr) ||
                        !dynamic_cast<CMsgBox*>(d))
                        return TRUE;
                    reinterpret_cast<Search*>(l)->box = h;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&s));
            if (!s.box) return false;
            Sleep(100);  // laid out and painted
            found.hwnd = s.box;
            const auto* box = dynamic_cast<CMsgBox*>(reinterpret_cast<Dialog*>(GetWindowLongPtrW(s.box, DWLP_USER)));
            found.text = box ? Utf8(Utf16FromGbk(box->Text)) : std::string();
            return true;
        },
        limit);
    return found;
}

void Press(const OpenBox& box, int button) {
    PostMessageW(box.hwnd, WM_COMMAND, button, 0);
    WaitUntil([&] { return !IsWindow(box.hwnd); }, 5s);
}

HWND WaitForSaveDialog() {
    HWND d = nullptr;
    WaitUntil(
        [&] {
            CMRUFileDlg* f = CMRUFileDlg::Active();
            d = f && f->Extension() && f->StandardDialog() && IsWindowVisible(f->StandardDialog()) ? f->StandardDialog()
                                                                                                   : nullptr;
            return d != nullptr;
        },
        10s);
    if (d) Sleep(300);
    return d;
}

// Opens the toolbar's menu over the user's window and clicks "Save Speech File (wav)...".
bool ChooseSaveSpeech() {
    Click(ToolbarPoint(30, 8), kRightDown, kRightUp);
    HWND menu = nullptr;
    if (!WaitUntil([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); }, 3s)) {
        ADD_FAILURE() << "the menu did not open";
        return false;
    }
    Sleep(150);
    const HMENU popup = MainFrame->Menus().Popup(IDM_POPUP_OPTIONS);
    for (int i = 0; i < GetMenuItemCount(popup); i++) {
        if (GetMenuItemID(popup, i) != IDM_SAVE_SPEECH) continue;
        RECT r{};
        if (!GetMenuItemRect(nullptr, popup, static_cast<UINT>(i), &r)) {
            ADD_FAILURE() << "no rectangle of item " << i << " error " << GetLastError();
            return false;
        }
        Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        return true;
    }
    return false;
}

void UseLanguage(int language) {
    OnApp([language] {
        AppSettings.UILanguage = static_cast<int16_t>(language);
        ChooseUiStringFile();
        MainFrame->Menus().ReloadMenus();
    });
}

// The Speak calls with text of the voices created since `firstVoice`.
std::vector<SimulatedSpeakCall> SpeakCallsSince(size_t firstVoice) {
    std::vector<SimulatedSpeakCall> calls;
    for (size_t i = firstVoice; i < Program::Voices().VoiceCount(); i++)
        for (const SimulatedSpeakCall& c : Program::Voices().VoiceAt(i)->SpeakCalls())
            if (c.HasText) calls.push_back(c);
    return calls;
}

class SaveSpeech : public ::testing::Test {
protected:
    static void SetUpTestSuite() { program_.Start({.toolbar = {600, 400}, .eventDelayMs = 10, .ownStrings = true}); }
    static void TearDownTestSuite() { program_.Stop(); }
    void SetUp() override {
        ASSERT_TRUE(WaitUntil([] { return TheSpeechEngine().CommandLoopRunning(); }, 10s));
        // The dialog opens in the newest folder of its history: the scratch folder.
        folder_ = fs::path(out_.Path()).wstring() + L"\\";
        WritePrivateProfileStringW(L"MRUDIRLIST_WAV", L"Folder1", folder_.c_str(), fs::path(SettingsFile).c_str());
    }
    void TearDown() override {
        // What a failed test left open: boxes, the file dialog, a reader.
        for (OpenBox box; (box = WaitForMessageBox(300ms)).hwnd;) Press(box, IDCANCEL);
        if (CMRUFileDlg* d = CMRUFileDlg::Active()) PostMessageW(d->StandardDialog(), WM_COMMAND, IDCANCEL, 0);
        WaitUntil([] { return CMRUFileDlg::Active() == nullptr; }, 5s);
        if (const HWND reader = FindWindowW(nullptr, L"VirAz Information")) {
            PostMessageW(reader, WM_COMMAND, IDOK, 0);
            WaitUntil([&] { return !IsWindow(reader); }, 5s);
        }
        UseLanguage(0);
        SimulatedVoiceOptions plain;
        plain.Pace = SimulatedPace::Timed;
        plain.EventDelayMs = 10;
        Program::Voices().SetOptions(plain);
        Park();
    }
    // Saves the notepad selection as `name` through the menu and the dialog;
    // the message box shown at the end (already answered for the overwrite question).
    // With clickSave the Save button is clicked instead of pressing Enter.
    OpenBox SaveSelection(Notepad& notepad, const std::string& name, int overwriteAnswer, OpenBox* question,
                          const std::string& screenshot, bool clickSave = false) {
        EXPECT_TRUE(notepad.Front());
        if (!ChooseSaveSpeech()) {
            ADD_FAILURE() << "no menu item";
            return {};
        }
        const HWND dialog = WaitForSaveDialog();
        if (!dialog) {
            ADD_FAILURE() << "no save dialog";
            return {};
        }
        if (!screenshot.empty()) SaveScreenshot(dialog, screenshot);
        Park();
        // xdotool may return before its keys are delivered: Enter once the name is there.
        Xdo("type --delay 40 " + name);
        const HWND nameBox = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        EXPECT_TRUE(WaitUntil(
            [&] {
                wchar_t typed[MAX_PATH] = {};
                GetWindowTextW(nameBox, typed, MAX_PATH);
                return Utf8(typed) == name;
            },
            5s));
        if (clickSave) {
            const RECT save = [&] {
                RECT r{};
                GetWindowRect(GetDlgItem(dialog, IDOK), &r);
                return r;
            }();
            Click({(save.left + save.right) / 2, (save.top + save.bottom) / 2});
        } else {
            Xdo("key Return");
        }
        OpenBox box = WaitForMessageBox();
        if (question && box.hwnd) {
            *question = box;
            Press(box, overwriteAnswer);
            if (overwriteAnswer != IDYES) return {};
            box = WaitForMessageBox();
        }
        return box;
    }

    static inline Program program_;
    ScratchFolder out_{"zh_speechfile"};
    std::wstring folder_;
};

TEST_F(SaveSpeech, TheSelectionBecomesAWavFileThatGrowsWithTheTextAndAnExistingOneIsAskedFor) {
    const std::u16string shortText = u"\u4f60\u597d\u4e16\u754c";  // 你好世界
    const std::u16string longText = u"\u6211\u4eec\u90fd\u5f88\u597d\u4f60\u597d\u4e16\u754c\u6211\u5f88\u70ed";
    const std::wstring file = folder_ + L"speech.wav";
    WaveFile first;
    {
        Notepad notepad(shortText + u"\r\nnot selected", kNotepadPlace);
        ASSERT_TRUE(notepad.Ok());
        notepad.Select(0, static_cast<int>(shortText.size()));
        const size_t voicesBefore = Program::Voices().VoiceCount();
        const OpenBox done = SaveSelection(notepad, "speech", 0, nullptr, "save_speech/dialog_en");
        ASSERT_TRUE(done.hwnd);
        EXPECT_EQ(done.text, "Saved as " + Utf8(file) + ".");
        SaveScreenshot(done.hwnd, "save_speech/saved_en");
        Press(done, IDOK);
        first = ReadWave(file);
        ASSERT_TRUE(first.valid);
        EXPECT_EQ(first.format, 1);
        EXPECT_EQ(first.channels, 1);
        EXPECT_EQ(first.rate, 16000u);
        EXPECT_EQ(first.bits, 16);
        EXPECT_GT(first.dataBytes, 0u);
        // The selection only, in the Chinese voice, preselected for a Chinese text.
        const std::vector<SimulatedSpeakCall> calls = SpeakCallsSince(voicesBefore);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().Text, shortText);
        EXPECT_EQ(calls.back().TokenName, u"Sim Huihui - Chinese (Simplified)");
        EXPECT_TRUE(fs::exists(fs::path(folder_ + L"speech.wav")));
        EXPECT_EQ(CMRUFileDlg::ReadFolderHistory(L"MRUDIRLIST_WAV", 1), folder_);
        EXPECT_EQ(GetForegroundWindow(), notepad.Top());
    }
    {
        UseLanguage(1);
        Notepad notepad(longText, kNotepadPlace);
        ASSERT_TRUE(notepad.Ok());
        notepad.Select(0, -1);
        OpenBox question;
        const OpenBox done = SaveSelection(notepad, "speech", IDYES, &question, "save_speech/dialog_zh");
        EXPECT_EQ(question.text, "File already exists. Overwrite it?");
        ASSERT_TRUE(done.hwnd);
        EXPECT_EQ(done.text,
                  "\xE5\xB7\xB2\xE4\xBF\x9D\xE5\xAD\x98\xE4\xB8\xBA " + Utf8(file) + "\xE3\x80\x82");  // 已保存为 …。
        SaveScreenshot(done.hwnd, "save_speech/saved_zh");
        Press(done, IDOK);
        const WaveFile second = ReadWave(file);
        ASSERT_TRUE(second.valid);
        EXPECT_GT(second.dataBytes, first.dataBytes);
        EXPECT_EQ(second.dataBytes * shortText.size(), first.dataBytes * longText.size());  // a tone per word
    }
    {
        // No to the question: the dialog stays, nothing is written.
        UseLanguage(0);
        Notepad notepad(shortText, kNotepadPlace);
        ASSERT_TRUE(notepad.Ok());
        notepad.Select(0, -1);
        const auto before = fs::last_write_time(fs::path(file));
        const size_t size = fs::file_size(fs::path(file));
        OpenBox question;
        SaveSelection(notepad, "speech.wav", IDNO, &question, "");
        EXPECT_EQ(question.text, "File already exists. Overwrite it?");
        Sleep(300);
        ASSERT_TRUE(CMRUFileDlg::Active());
        EXPECT_TRUE(IsWindowVisible(CMRUFileDlg::Active()->StandardDialog()));
        PostMessageW(CMRUFileDlg::Active()->StandardDialog(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil([] { return CMRUFileDlg::Active() == nullptr; }, 5s));
        Sleep(300);
        EXPECT_FALSE(WaitForMessageBox(500ms).hwnd);  // a cancelled save says nothing
        EXPECT_EQ(fs::file_size(fs::path(file)), size);
        EXPECT_EQ(fs::last_write_time(fs::path(file)), before);
    }
}

TEST_F(SaveSpeech, NothingSelectedAndNoReaderOpenSaysThereIsNoTextToSave) {
    Notepad notepad(u"\u4f60\u597d", kNotepadPlace);
    ASSERT_TRUE(notepad.Ok());
    notepad.Select(0, 0);
    ASSERT_TRUE(notepad.Front());
    ASSERT_TRUE(ChooseSaveSpeech());
    const OpenBox box = WaitForMessageBox();
    ASSERT_TRUE(box.hwnd);
    EXPECT_EQ(box.text, "There is no text to save.");
    EXPECT_EQ(CMRUFileDlg::Active(), nullptr);
    SaveScreenshot(box.hwnd, "save_speech/no_text_en");
    Press(box, IDOK);
    EXPECT_TRUE(fs::is_empty(fs::path(folder_)));
}

TEST_F(SaveSpeech, WithAReaderOpenAndNothingSelectedElsewhereTheReadersTextIsSaved) {
    const std::u16string text = u"\u6211\u4eec\u90fd\u5f88\u597d";  // 我们都很好
    Notepad notepad(text, kNotepadPlace);
    ASSERT_TRUE(notepad.Ok());
    notepad.Select(0, -1);
    ASSERT_TRUE(notepad.Front());
    Click(ToolbarPoint(40, 8));  // the right half: the reader with the selection
    HWND reader = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (reader = FindWindowW(nullptr, L"VirAz Information")) && IsWindowVisible(reader); }, 10s));
    Sleep(300);
    notepad.Select(0, 0);
    const size_t voicesBefore = Program::Voices().VoiceCount();
    ASSERT_TRUE(ChooseSaveSpeech());
    const HWND dialog = WaitForSaveDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), reader);
    Park();
    Xdo("type --delay 40 reader");
    const HWND nameBox = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    EXPECT_TRUE(WaitUntil(
        [&] {
            wchar_t typed[MAX_PATH] = {};
            GetWindowTextW(nameBox, typed, MAX_PATH);
            return std::wstring(typed) == L"reader";
        },
        5s));
    Xdo("key Return");
    const OpenBox done = WaitForMessageBox();
    ASSERT_TRUE(done.hwnd);
    const std::wstring file = folder_ + L"reader.wav";
    EXPECT_EQ(done.text, "Saved as " + Utf8(file) + ".");
    Press(done, IDOK);
    EXPECT_TRUE(ReadWave(file).valid);
    const std::vector<SimulatedSpeakCall> calls = SpeakCallsSince(voicesBefore);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().Text, text);
    PostMessageW(reader, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(reader); }, 5s));
}

// An output format the voice cannot write: no file, and a message that says
// so. The name is confirmed with a click on Save.
TEST_F(SaveSpeech, AFileThatCouldNotBeWrittenIsNotReportedAsSaved) {
    SimulatedVoiceOptions broken;
    broken.Pace = SimulatedPace::Timed;
    broken.EventDelayMs = 10;
    broken.SampleRate = 0;
    Program::Voices().SetOptions(broken);
    Notepad notepad(u"\u4f60\u597d", kNotepadPlace);
    ASSERT_TRUE(notepad.Ok());
    notepad.Select(0, -1);
    const OpenBox done = SaveSelection(notepad, "broken", 0, nullptr, "", true);
    ASSERT_TRUE(done.hwnd);
    const std::wstring file = folder_ + L"broken.wav";
    EXPECT_EQ(done.text, "The speech could not be saved as " + Utf8(file) + ".");
    SaveScreenshot(done.hwnd, "save_speech/not_saved_en");
    Press(done, IDOK);
    EXPECT_FALSE(fs::exists(fs::path(file)));
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
