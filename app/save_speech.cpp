#include "app/save_speech.h"

#include <windows.h>
// after windows.h
#include <commdlg.h>

#include <memory>
#include <mutex>

#include "app/capture.h"
#include "app/requests.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "reader/zi_info_dlg.h"
#include "rules/char_class.h"
#include "speech/aux_voice.h"
#include "speech/speech_engine.h"
#include "speech/voice_catalogue.h"
#include "text/gbk.h"
#include "ui/mru_file_dlg.h"
#include "ui/msg_box.h"

namespace {

constexpr wchar_t kFilter[] = L"Wav File(*.wav)|*.wav||";
constexpr wchar_t kHistorySection[] = L"MRUDIRLIST_WAV";

std::wstring Wide(const AString& gbk) {
    const std::u16string u = Utf16FromGbk(gbk);
    return std::wstring(u.begin(), u.end());
}

AString Gbk(const std::wstring& s) {
    return GbkFromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size()));
}

// The voices the engine's catalogue listed; when it has listed none yet, the
// catalogue run now on a voice of its own. False when there is no voice.
bool ListVoices(AStringArray& western, AStringArray& chinese, AString& westernName, AString& chineseName) {
    SpeechEngine& engine = TheSpeechEngine();
    {
        std::lock_guard<std::mutex> hold(engine.NamesLock);
        westernName = AppSettings.SoundVoiceEng;
        chineseName = AppSettings.SoundVoiceChn;
    }
    engine.GetVoiceNames(western, chinese);
    if (western.GetSize() + chinese.GetSize() > 0) return true;
    VoiceSystem* voices = engine.GetVoiceSystem();
    std::unique_ptr<Voice> voice;
    if (!voices || VoiceFailed(voices->CreateVoice(voice)) || !voice) return false;
    std::uint32_t stream = 0;
    return VoiceCatalogue(*voices, voice.get(), &stream, western, chinese, westernName, chineseName, nullptr,
                          nullptr) != 0;
}

}  // namespace

SpeechFileVoices SpeechFileVoiceList(const AStringArray& western, const AStringArray& chinese,
                                     const AString& westernName, const AString& chineseName, bool chineseText) {
    SpeechFileVoices v;
    for (const AStringArray* list : {&chinese, &western})
        for (int i = 0; i < list->GetSize(); i++) v.names.Add(list->GetAt(i));
    const AString& wanted = chineseText ? chineseName : westernName;
    for (int i = 0; i < v.names.GetSize(); i++)
        if (v.names.GetAt(i) == wanted) v.preselected = i;
    return v;
}

SpeechFileResult SaveSpeechFile() {
    ToolbarStateRecord& s = ToolbarState;
    if (s.ModalBusy) return SpeechFileResult::Busy;
    ReleaseAuxVoice();
    TheSpeechEngine().Signal(SC_STOP);
    ToolbarPaused = 0;
    ToolbarSpeaking = 0;
    RepaintToolbar(false);
    WaitPumping(20);

    // The targets were taken when the popup menu opened.
    AString text;
    CaptureSelection(TargetFocus, nullptr, text);
    text.TrimLeft();
    text.TrimRight();
    CZiInfoDlg* reader = nullptr;
    if (text.IsEmpty() && CurrentReader) {
        text = CurrentReader->CurrentText();
        text.TrimLeft();
        text.TrimRight();
        reader = CurrentReader;
    }
    if (text.IsEmpty()) {
        ShowMessage(AString("There is no text to save."), 0, false, -1, nullptr);
        return SpeechFileResult::NothingToSave;
    }

    AStringArray western, chinese;
    AString westernName, chineseName;
    if (!ListVoices(western, chinese, westernName, chineseName)) return SpeechFileResult::NoVoice;
    const bool chineseText = text.IsWide() ? IsMostlyWideText(text.GetString(), text.GetLength())
                                           : ContainsDoubleByteChar(text.GetString(), false) != 0;
    const SpeechFileVoices voices = SpeechFileVoiceList(western, chinese, westernName, chineseName, chineseText);

    const HWND owner = reader ? reader->Hwnd() : ToolbarWindow;
    CMRUFileDlg dialog(0, L"wav", L"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter, owner, true);
    dialog.FolderHistorySection = kHistorySection;
    for (int i = 0; i < voices.names.GetSize(); i++) dialog.ExtraList.push_back(Wide(voices.names.GetAt(i)));
    dialog.ExtraIndex = voices.preselected;

    HWND previous = nullptr;
    if (!reader) {
        previous = GetForegroundWindow();
        SetForegroundWindow(ToolbarWindow);
        ShowWindow(StatusWindow, SW_HIDE);
    }
    s.ModalBusy = 1;
    const INT_PTR result = dialog.Run();
    s.ModalBusy = 0;
    if (!reader) {
        PostMessageA(ToolbarWindow, WM_NULL, 0, 0);
        if (previous) SetForegroundWindow(previous);
    }

    const std::wstring path = result == IDOK ? dialog.PathName() : dialog.ChosenPath;
    if (path.empty()) return SpeechFileResult::Cancelled;
    const int index =
        dialog.ExtraIndex >= 0 && dialog.ExtraIndex < voices.names.GetSize() ? dialog.ExtraIndex : voices.preselected;
    const AString voice = index >= 0 ? voices.names.GetAt(index) : AString();
    // A file that could not be written is said so, not reported as saved.
    const bool written = SaveSpeechToWave(text, voice, path);
    ShowFormattedMessage(AString(written ? "Saved as %s." : "The speech could not be saved as %s."), 0, false,
                         Gbk(path));
    return written ? SpeechFileResult::Saved : SpeechFileResult::NotWritten;
}
