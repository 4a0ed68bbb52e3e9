// The speech options dialog in the running program: opened from the toolbar's
// menu command, its sliders used with the X server's pointer, the test phrase
// spoken by the simulated voices, OK applying and saving, Cancel undoing.
// Pictures go to build/screens/speech_options.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

#include "app/mdi_app.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "res/resource_ids.h"
#include "speech/simulated_voice.h"
#include "speech/speech_engine.h"
#include "tests/app/program_harness.h"
#include "tests/support/screenshot.h"
#include "text/gbk.h"
#include "ui/ui_strings.h"

namespace {

using namespace std::chrono_literals;

const std::u16string kHuihui = u"Sim Huihui - Chinese (Simplified)";

HWND FindOptions() {
    HWND found = nullptr;
    EnumThreadWindows(
        UiThreadId,
        [](HWND w, LPARAM l) -> BOOL {
            if (!IsWindowVisible(w) || !GetDlgItem(w, IDC_VOLUME_SLIDER)) return TRUE;
            *reinterpret_cast<HWND*>(l) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring Text(HWND w) {
    wchar_t buf[256] = {};
    GetWindowTextW(w, buf, 256);
    return buf;
}

std::vector<std::wstring> Items(HWND combo) {
    std::vector<std::wstring> out;
    const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t buf[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}

std::wstring Selected(HWND combo) {
    const int i = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    const auto items = Items(combo);
    return i >= 0 && i < static_cast<int>(items.size()) ? items[static_cast<size_t>(i)] : L"";
}

void Select(HWND combo, const std::u16string& text) {
    const auto items = Items(combo);
    const auto at = std::find(items.begin(), items.end(), std::wstring(text.begin(), text.end()));
    ASSERT_NE(at, items.end());
    SendMessageW(combo, CB_SETCURSEL, at - items.begin(), 0);
}

std::u16string TokenName(const VoiceTokenPtr& token) {
    std::u16string name;
    if (token) token->GetStringValue(u"", name);
    return name;
}

bool HasCall(SimulatedVoice& v, const std::string& call, size_t from = 0) {
    const auto calls = v.Calls();
    return std::find(calls.begin() + static_cast<long>(std::min(from, calls.size())), calls.end(), call) != calls.end();
}

class SpeechOptions : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The toolbar out of the centre of the screen, where the dialog opens.
        program_.Start({.toolbar = {40, 40}, .eventDelayMs = 120, .settings = {}, .ownStrings = true});
        ASSERT_TRUE(WaitUntil([] { return TheSpeechEngine().CommandLoopRunning(); }, 10s));
    }
    static void TearDownTestSuite() { program_.Stop(); }
    void TearDown() override {
        if (const HWND d = FindOptions()) {
            PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            WaitUntil([] { return !FindOptions(); }, 5s);
        }
        UseLanguage(0);
        Park();
    }

    static void UseLanguage(int language) {
        OnApp([language] {
            AppSettings.UILanguage = static_cast<int16_t>(language);
            ChooseUiStringFile();
        });
    }
    // The settings the dialog opens with; the names are those of the catalogue.
    static void Given(int volume, int rate, int readType = 3, int sync = 1, int context = 0) {
        OnApp([=] {
            AppSettings.SoundPlayVol = volume;
            AppSettings.SoundPlaySpeed = rate;
            AppSettings.SoundPlayReadType = readType;
            AppSettings.SoundPaySyncWord_Dialog = sync;
            AppSettings.ContextReadings = context;
            std::lock_guard<std::mutex> hold(TheSpeechEngine().NamesLock);
            AppSettings.SoundVoiceEng = "Sim Anna";
            AppSettings.SoundVoiceChn = GbkFromUtf16(kHuihui);
        });
        OnApp([] {
            TheSpeechEngine().ReplaceVoiceToken(false, TheSpeechEngine().FindVoiceByName(AString("Sim Anna")));
            TheSpeechEngine().ReplaceVoiceToken(true, TheSpeechEngine().FindVoiceByName(GbkFromUtf16(kHuihui)));
        });
    }
    // Opens the dialog through the menu command and waits for its sliders to be painted.
    HWND Open() {
        PostMessageA(ToolbarWindow, WM_COMMAND, IDM_SPEECH_OPTIONS, 0);
        HWND d = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (d = FindOptions()) != nullptr; }, 5s));
        if (d) {
            RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Sleep(300);
        }
        return d;
    }
    static void Close(HWND d, int button) {
        PostMessageW(d, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, button)));
        ASSERT_TRUE(WaitUntil([] { return !FindOptions(); }, 5s));
    }
    static int Label(HWND d, int id) { return std::stoi(Text(GetDlgItem(d, id))); }
    // A screen point of the slider, y in its middle.
    static POINT SliderPoint(HWND slider, int x) {
        RECT c;
        GetClientRect(slider, &c);
        POINT p{x, c.bottom / 2};
        ClientToScreen(slider, &p);
        return p;
    }
    // The thumb's x as painted: track width = client width - 7 in a dialog.
    static int ThumbX(HWND slider, int value, int minimum, int maximum) {
        RECT c;
        GetClientRect(slider, &c);
        return static_cast<int>((c.right - 7) * (static_cast<double>(value - minimum) / (maximum - minimum)));
    }
    // A drag with the X server's pointer from the thumb's middle by dx pixels.
    static void Drag(HWND slider, int thumbX, int dx) {
        const POINT from = SliderPoint(slider, thumbX + 2);
        MoveTo(from);
        Button(kLeftDown);
        MoveTo({from.x + dx, from.y});
        Button(kLeftUp);
    }
    static SimulatedVoice& MainVoice() { return *Program::Voices().VoiceAt(0); }

    static inline Program program_;
};

TEST_F(SpeechOptions, OpensFromTheMenuWithTheSettingsInBothLanguages) {
    for (int language : {0, 1}) {
        SCOPED_TRACE(language);
        UseLanguage(language);
        Given(40, 2, 1, 0, 1);
        const HWND d = Open();
        ASSERT_TRUE(d);
        EXPECT_EQ(Label(d, IDC_VOLUME_VALUE), 40);
        EXPECT_EQ(Label(d, IDC_RATE_VALUE), 12);  // rate + 10
        EXPECT_EQ(Items(GetDlgItem(d, IDC_WESTERN_VOICE)), (std::vector<std::wstring>{L"Sim Anna", L"Sim David"}));
        EXPECT_EQ(Selected(GetDlgItem(d, IDC_WESTERN_VOICE)), L"Sim Anna");
        EXPECT_EQ(Selected(GetDlgItem(d, IDC_CHINESE_VOICE)), std::wstring(kHuihui.begin(), kHuihui.end()));
        const auto content = Items(GetDlgItem(d, IDC_SPEECH_CONTENT));
        ASSERT_EQ(content.size(), 3u);
        EXPECT_EQ(content[0], language ? L"\u53ea\u8bfb\u4e2d\u6587" : L"Read Chinese");  // 只读中文
        EXPECT_EQ(SendMessageW(GetDlgItem(d, IDC_SPEECH_CONTENT), CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(SendMessageW(GetDlgItem(d, IDC_SYNC_WORD), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(SendMessageW(GetDlgItem(d, IDC_CONTEXT_READINGS), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_FALSE(SaveScreenshot(d, language ? "speech_options/zh" : "speech_options/en").empty());
        Close(d, IDCANCEL);
    }
}

TEST_F(SpeechOptions, UnsetVolumeAndRateOpenAtTheirMinimumAndOkAppliesThem) {
    Given(-9999, -9999);
    const size_t before = MainVoice().Calls().size();
    const HWND d = Open();
    ASSERT_TRUE(d);
    EXPECT_EQ(Label(d, IDC_VOLUME_VALUE), 0);
    EXPECT_EQ(Label(d, IDC_RATE_VALUE), 0);
    Close(d, IDOK);
    EXPECT_EQ(AppSettings.SoundPlayVol, 0);
    EXPECT_EQ(AppSettings.SoundPlaySpeed, -10);
    EXPECT_TRUE(WaitUntil([&] { return HasCall(MainVoice(), "SetRate -10", before); }, 3s));
    EXPECT_TRUE(WaitUntil([&] { return HasCall(MainVoice(), "SetVolume 0", before); }, 3s));
    EXPECT_EQ(ReadSettingInt("Config", "SoundPlayVol", 1), 0);
    EXPECT_EQ(ReadSettingInt("Config", "SoundPlaySpeed", 1), -10);
}

TEST_F(SpeechOptions, APixelOfDragMovesTheVolumeByOneAndDragsStayInTheirRanges) {
    Given(40, 0);
    const HWND d = Open();
    ASSERT_TRUE(d);
    const HWND volume = GetDlgItem(d, IDC_VOLUME_SLIDER), rate = GetDlgItem(d, IDC_RATE_SLIDER);
    RECT c;
    GetClientRect(volume, &c);
    ASSERT_GT(c.right - 7, 100);  // wider than the range: one pixel is less than one step
    Drag(volume, ThumbX(volume, 40, 0, 100), 1);
    EXPECT_EQ(Label(d, IDC_VOLUME_VALUE), 41);
    Drag(volume, ThumbX(volume, 41, 0, 100), -1);
    EXPECT_EQ(Label(d, IDC_VOLUME_VALUE), 40);
    Drag(volume, ThumbX(volume, 40, 0, 100), 400);
    EXPECT_EQ(Label(d, IDC_VOLUME_VALUE), 100);
    Drag(volume, ThumbX(volume, 100, 0, 100), -400);
    EXPECT_EQ(Label(d, IDC_VOLUME_VALUE), 0);
    Drag(rate, ThumbX(rate, 0, -10, 10), 400);
    EXPECT_EQ(Label(d, IDC_RATE_VALUE), 20);
    Drag(rate, ThumbX(rate, 10, -10, 10), -400);
    EXPECT_EQ(Label(d, IDC_RATE_VALUE), 0);
    // A click on the track puts the thumb there; the first pixel gives the minimum, not less.
    Click(SliderPoint(volume, (c.right - 7) / 2));
    const int middle = Label(d, IDC_VOLUME_VALUE);
    EXPECT_GE(middle, 45);
    EXPECT_LE(middle, 52);
    Click(SliderPoint(rate, 0));
    EXPECT_EQ(Label(d, IDC_RATE_VALUE), 0);
    // The keys of a focused slider: a step, the ends.
    const int before = Label(d, IDC_VOLUME_VALUE);
    SendMessageW(volume, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(Label(d, IDC_VOLUME_VALUE), before + 1);
    SendMessageW(volume, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(Label(d, IDC_VOLUME_VALUE), 100);
    SendMessageW(volume, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(Label(d, IDC_VOLUME_VALUE), 100);
    SendMessageW(rate, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(Label(d, IDC_RATE_VALUE), 0);
    EXPECT_TRUE(SendMessageW(volume, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
    EXPECT_FALSE(SaveScreenshot(d, "speech_options/dragged").empty());
    Close(d, IDCANCEL);
    EXPECT_EQ(AppSettings.SoundPlayVol, 40);  // only OK applies the sliders
}

TEST_F(SpeechOptions, TestSpeaksBothPhrasesWithTheChosenVoicesAndCancelUndoesIt) {
    Given(40, 0);
    const HWND d = Open();
    ASSERT_TRUE(d);
    Select(GetDlgItem(d, IDC_WESTERN_VOICE), u"Sim David");
    Drag(GetDlgItem(d, IDC_VOLUME_SLIDER), ThumbX(GetDlgItem(d, IDC_VOLUME_SLIDER), 40, 0, 100), 1);
    Drag(GetDlgItem(d, IDC_RATE_SLIDER), ThumbX(GetDlgItem(d, IDC_RATE_SLIDER), 0, -10, 10), -400);
    const size_t voices = Program::Voices().VoiceCount(), mainCalls = MainVoice().Calls().size();
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_TEST_SPEECH, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_TEST_SPEECH)));
    ASSERT_TRUE(WaitUntil([&] { return Program::Voices().VoiceCount() > voices; }, 5s));
    auto aux = Program::Voices().VoiceAt(Program::Voices().VoiceCount() - 1);
    auto texts = [&] {
        std::vector<SimulatedSpeakCall> out;
        for (const auto& call : aux->SpeakCalls())
            if (call.HasText) out.push_back(call);
        return out;
    };
    ASSERT_TRUE(WaitUntil([&] { return texts().size() >= 1; }, 5s));
    const auto first = Clock::now();
    ASSERT_TRUE(WaitUntil([&] { return texts().size() >= 2; }, 5s));
    const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - first).count();
    EXPECT_GE(gap, 1500);
    const auto spoken = texts();
    EXPECT_EQ(spoken[0].Text, u"This is a test.");
    EXPECT_EQ(spoken[0].TokenName, u"Sim David");
    EXPECT_EQ(spoken[0].Volume, 41);
    EXPECT_EQ(spoken[0].Rate, -10);
    EXPECT_EQ(spoken[1].Text, u"\u5c9a\u96c0\u821f");  // 岚雀舟
    EXPECT_EQ(spoken[1].TokenName, kHuihui);
    EXPECT_FALSE(aux->SpeakCalls()[1].HasText);  // the first phrase was silenced before the second
    // The test changed the settings but not the main voice.
    EXPECT_EQ(AppSettings.SoundPlayVol, 41);
    EXPECT_FALSE(HasCall(MainVoice(), "SetVolume 41", mainCalls));

    EXPECT_EQ(AppSettings.SoundPlaySpeed, -10);

    Close(d, IDCANCEL);
    EXPECT_EQ(AppSettings.SoundPlayVol, 40);
    EXPECT_EQ(AppSettings.SoundPlaySpeed, 0);
    EXPECT_TRUE(WaitUntil([&] { return HasCall(MainVoice(), "SetVolume 40", mainCalls); }, 3s));
    EXPECT_TRUE(WaitUntil([&] { return HasCall(MainVoice(), "SetRate 0", mainCalls); }, 3s));
    EXPECT_EQ(AppSettings.SoundVoiceEng, AString("Sim Anna"));
    EXPECT_EQ(TokenName(TheSpeechEngine().GetVoiceToken(false)), u"Sim Anna");
}

TEST_F(SpeechOptions, OkAppliesEveryChoiceAndSavesIt) {
    Given(40, 0, 3, 1, 0);
    const HWND d = Open();
    ASSERT_TRUE(d);
    Drag(GetDlgItem(d, IDC_VOLUME_SLIDER), ThumbX(GetDlgItem(d, IDC_VOLUME_SLIDER), 40, 0, 100), 1);
    Drag(GetDlgItem(d, IDC_RATE_SLIDER), ThumbX(GetDlgItem(d, IDC_RATE_SLIDER), 0, -10, 10), 400);
    Select(GetDlgItem(d, IDC_WESTERN_VOICE), u"Sim David");
    SendMessageW(GetDlgItem(d, IDC_SPEECH_CONTENT), CB_SETCURSEL, 1, 0);
    SendMessageW(GetDlgItem(d, IDC_SYNC_WORD), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(GetDlgItem(d, IDC_CONTEXT_READINGS), BM_SETCHECK, BST_CHECKED, 0);
    // A test first writes the names: OK must still change the voice.
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_TEST_SPEECH, BN_CLICKED), 0);
    Sleep(2000);
    const size_t mainCalls = MainVoice().Calls().size();
    Close(d, IDOK);

    EXPECT_EQ(AppSettings.SoundPlayVol, 41);
    EXPECT_EQ(AppSettings.SoundPlaySpeed, 10);
    EXPECT_EQ(AppSettings.SoundPlayReadType, 2);
    EXPECT_EQ(AppSettings.SoundPaySyncWord_Dialog, 0);
    EXPECT_EQ(AppSettings.ContextReadings, 1);
    EXPECT_EQ(AppSettings.SoundVoiceEng, AString("Sim David"));
    EXPECT_EQ(TokenName(TheSpeechEngine().GetVoiceToken(false)), u"Sim David");
    EXPECT_EQ(TokenName(TheSpeechEngine().GetVoiceToken(true)), kHuihui);
    EXPECT_TRUE(WaitUntil([&] { return HasCall(MainVoice(), "SetRate 10", mainCalls); }, 3s));
    EXPECT_TRUE(WaitUntil([&] { return HasCall(MainVoice(), "SetVolume 41", mainCalls); }, 3s));
    EXPECT_EQ(ReadSettingInt("Config", "SoundPlayVol", 0), 41);
    EXPECT_EQ(ReadSettingInt("Config", "SoundPlaySpeed", 0), 10);
    EXPECT_EQ(ReadSettingInt("Config", "SoundPlayReadType", 0), 2);
    EXPECT_EQ(ReadSettingInt("Config", "SoundPaySyncWord_Dialog", 1), 0);
    EXPECT_EQ(ReadSettingInt("Config", "ContextReadings", 0), 1);
    EXPECT_EQ(ReadSettingString("Config", "SoundVoiceEng", ""), AString("Sim David"));

    // Opened again, the dialog shows what was saved.
    const HWND again = Open();
    ASSERT_TRUE(again);
    EXPECT_EQ(Label(again, IDC_VOLUME_VALUE), 41);
    EXPECT_EQ(Label(again, IDC_RATE_VALUE), 20);
    EXPECT_EQ(Selected(GetDlgItem(again, IDC_WESTERN_VOICE)), L"Sim David");
    EXPECT_EQ(SendMessageW(GetDlgItem(again, IDC_CONTEXT_READINGS), BM_GETCHECK, 0, 0), BST_CHECKED);
    Close(again, IDCANCEL);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
