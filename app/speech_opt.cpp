#include "app/speech_opt.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "app/mdi_app.h"
#include "app/settings.h"
#include "res/resource_ids.h"
#include "speech/aux_voice.h"
#include "speech/speech_engine.h"
#include "text/aarray.h"
#include "text/gbk.h"
#include "ui/ui_strings.h"

namespace {

// The entries of "Speech Content"; entry i is SoundPlayReadType i + 1.
const char* const kContentEntries[] = {"Read Chinese", "Read Western Language", "Read Both"};

// Waits on the user-interface thread: windows keep painting and messages sent
// by other threads are answered, but input waits until the time is up.
void WaitPainting(DWORD ms) {
    const DWORD start = GetTickCount();
    for (DWORD passed; (passed = GetTickCount() - start) < ms;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed, QS_SENDMESSAGE | QS_PAINT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageW(&msg);
    }
}

// The engine keeps one pending command: a rate written just before a volume
// would be replaced by it before the speech thread took it. So a rate change
// waits (a little) until the speech thread has taken it.
void ApplyRateAndVolume(SpeechEngine& engine, const int* rate, const int* volume) {
    if (rate) engine.SetRate(*rate);
    if (rate && volume) {
        const DWORD start = GetTickCount();
        while (engine.CommandLoopRunning() && engine.GetState() == SC_RATE && GetTickCount() - start < 1000) Sleep(1);
    }
    if (volume) engine.SetVolume(*volume);
}

}  // namespace

CSpeechOpt::CSpeechOpt(HWND parent, SpeechEngine& engine, AuxiliaryVoice& aux)
    : CChnDlg(IDD_SPEECH_OPTIONS, parent), Engine(engine), Aux(aux) {
    RateSlider.RateMode = 1;
}

void CSpeechOpt::DoDataExchange(DataExchange& dx) {
    dx.Check(IDC_SYNC_WORD, SyncWord);
    dx.Check(IDC_CONTEXT_READINGS, ContextReadings);
}

BOOL CSpeechOpt::OnInitDialog() {
    VolumeSlider.Attach(*this, Item(IDC_VOLUME_SLIDER));
    RateSlider.Attach(*this, Item(IDC_RATE_SLIDER));
    WesternVoiceList.Attach(Item(IDC_WESTERN_VOICE));
    ChineseVoiceList.Attach(Item(IDC_CHINESE_VOICE));
    ContentList.Attach(Item(IDC_SPEECH_CONTENT));
    const BOOL result = CChnDlg::OnInitDialog();

    InitialVolume = AppSettings.SoundPlayVol;
    InitialRate = AppSettings.SoundPlaySpeed;
    VolumeSlider.Minimum = 0;
    VolumeSlider.Maximum = 100;
    VolumeSlider.Value = std::clamp(InitialVolume, 0, 100);
    RateSlider.Minimum = -10;
    RateSlider.Maximum = 10;
    RateSlider.Value = std::clamp(InitialRate, -10, 10);
    UpdateValueLabels();

    for (CComboMRU* list : {&WesternVoiceList, &ChineseVoiceList, &ContentList})
        list->InitHistory("NoMRU", CComboMRU::kItemHeight);
    AStringArray western, chinese;
    Engine.GetVoiceNames(western, chinese);
    {
        std::lock_guard<std::mutex> hold(Engine.NamesLock);
        InitialVoiceEng = AppSettings.SoundVoiceEng;
        InitialVoiceChn = AppSettings.SoundVoiceChn;
    }
    FillVoices(WesternVoiceList, western, InitialVoiceEng);
    FillVoices(ChineseVoiceList, chinese, InitialVoiceChn);
    for (const char* entry : kContentEntries)
        SendMessageW(ContentList.Hwnd(), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(TranslateUiTextToWide(AString(entry)).c_str()));
    const int type = AppSettings.SoundPlayReadType;
    SendMessageW(ContentList.Hwnd(), CB_SETCURSEL, type >= 1 && type <= 3 ? type - 1 : 2, 0);
    ContentList.ComputeDropWidth();

    SyncWord = AppSettings.SoundPaySyncWord_Dialog ? BST_CHECKED : BST_UNCHECKED;
    ContextReadings = AppSettings.ContextReadings == 1 ? BST_CHECKED : BST_UNCHECKED;
    UpdateData(false);
    return result;
}

void CSpeechOpt::FillVoices(CComboMRU& list, const AStringArray& names, const AString& current) {
    int selected = 0;
    for (int i = 0; i < names.GetSize(); ++i) {
        list.AddString(names[i]);
        if (names[i] == current) selected = i;
    }
    if (names.GetSize() > 0) SendMessageW(list.Hwnd(), CB_SETCURSEL, selected, 0);
    list.ComputeDropWidth();
}

void CSpeechOpt::UpdateValueLabels() {
    char text[16];
    std::snprintf(text, sizeof text, "%d", VolumeSlider.Value);
    SetItemText(IDC_VOLUME_VALUE, AString(text), false);
    std::snprintf(text, sizeof text, "%d", RateSlider.Value + 10);
    SetItemText(IDC_RATE_VALUE, AString(text), false);
}

void CSpeechOpt::StoreSelectedVoices() {
    const AString western = WesternVoiceList.GetItemText(-1), chinese = ChineseVoiceList.GetItemText(-1);
    std::lock_guard<std::mutex> hold(Engine.NamesLock);
    if (!western.IsEmpty()) AppSettings.SoundVoiceEng = western;
    if (!chinese.IsEmpty()) AppSettings.SoundVoiceChn = chinese;
}

void CSpeechOpt::Test() {
    AppSettings.SoundPlayVol = VolumeSlider.Value;  // the settings only: the main voice keeps its own
    AppSettings.SoundPlaySpeed = RateSlider.Value;
    StoreSelectedVoices();
    Aux.TestSpeak(AString("This is a test."), 15);
    WaitPainting(kTestGapMs);
    Aux.TestSpeak(GbkFromUtf16(u"\u5c9a\u96c0\u821f"), 6);  // 岚雀舟
}

void CSpeechOpt::OnOK() {
    UpdateData(true);
    const int rate = RateSlider.Value, volume = VolumeSlider.Value;
    const bool newRate = rate != InitialRate || rate != AppSettings.SoundPlaySpeed;
    const bool newVolume = volume != InitialVolume || volume != AppSettings.SoundPlayVol;
    if (newRate) AppSettings.SoundPlaySpeed = rate;
    if (newVolume) AppSettings.SoundPlayVol = volume;
    ApplyRateAndVolume(Engine, newRate ? &rate : nullptr, newVolume ? &volume : nullptr);
    StoreSelectedVoices();
    const int content = static_cast<int>(SendMessageW(ContentList.Hwnd(), CB_GETCURSEL, 0, 0));
    if (content >= 0) AppSettings.SoundPlayReadType = content + 1;
    // A voice chosen here replaces the engine's token of its language; the
    // names are compared with those at opening, since a test already wrote them.
    AString western, chinese;
    {
        std::lock_guard<std::mutex> hold(Engine.NamesLock);
        western = AppSettings.SoundVoiceEng;
        chinese = AppSettings.SoundVoiceChn;
    }
    const struct {
        bool chinese;
        const AString& now;
        const AString& before;
    } voices[] = {{false, western, InitialVoiceEng}, {true, chinese, InitialVoiceChn}};
    for (const auto& v : voices) {
        if (v.now == v.before) continue;
        // A name that finds no token keeps the voice in use.
        if (VoiceTokenPtr token = Engine.FindVoiceByName(v.now)) Engine.ReplaceVoiceToken(v.chinese, token);
    }
    AppSettings.SoundPaySyncWord_Dialog = SyncWord == BST_CHECKED ? 1 : 0;
    if (ContextReadings == BST_CHECKED) EnsurePolyphoneModel();
    AppSettings.ContextReadings = ContextReadings == BST_CHECKED ? 1 : 0;
    SaveSettings();
    WriteSettingInt("Config", "ContextReadings", AppSettings.ContextReadings);
    EndDialog(IDOK);
}

void CSpeechOpt::OnCancel() {
    const bool oldRate = AppSettings.SoundPlaySpeed != InitialRate;
    const bool oldVolume = AppSettings.SoundPlayVol != InitialVolume;
    if (oldRate) AppSettings.SoundPlaySpeed = InitialRate;
    if (oldVolume) AppSettings.SoundPlayVol = InitialVolume;
    ApplyRateAndVolume(Engine, oldRate ? &InitialRate : nullptr, oldVolume ? &InitialVolume : nullptr);
    {
        std::lock_guard<std::mutex> hold(Engine.NamesLock);
        AppSettings.SoundVoiceEng = InitialVoiceEng;
        AppSettings.SoundVoiceChn = InitialVoiceChn;
    }
    EndDialog(IDCANCEL);
}

bool CSpeechOpt::OnCommand(int id, int code, HWND control) {
    if (id == IDC_TEST_SPEECH && code == BN_CLICKED) {
        Test();
        return true;
    }
    return CChnDlg::OnCommand(id, code, control);
}

LRESULT CSpeechOpt::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HSCROLL: UpdateValueLabels(); return 0;
        case WM_MEASUREITEM:
            if (CComboMRU::MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_DRAWITEM: {
            const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw.CtlType == ODT_COMBOBOX) {
                for (const CComboMRU* list : {&WesternVoiceList, &ChineseVoiceList, &ContentList})
                    if (list->DrawItem(draw)) return TRUE;
            }
            break;
        }
        default: break;
    }
    return CChnDlg::OnMessage(message, wParam, lParam);
}

void RunSpeechOptions(HWND owner) {
    CSpeechOpt dialog(owner, TheSpeechEngine(), TheAuxVoice());
    dialog.DoModal();
}
