#include "speech/aux_voice.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "rules/char_class.h"
#include "speech/speech_engine.h"
#include "speech/voice_catalogue.h"
#include "text/aarray.h"
#include "text/gbk.h"

namespace {

AString Read(SpeechEngine& engine, AString* name) {
    std::lock_guard<std::mutex> hold(engine.NamesLock);
    return name ? *name : AString();
}

}  // namespace

// Both names empty: the catalogue's default voices give them (the names are
// kept only when the speech thread did not set them meanwhile).
bool AuxiliaryVoice::PrepareNames() {
    AString western = Read(Engine, Settings.SoundVoiceEng), chinese = Read(Engine, Settings.SoundVoiceChn);
    if (!western.IsEmpty() || !chinese.IsEmpty()) return true;
    if (!AuxVoice && (VoiceFailed(Voices.CreateVoice(AuxVoice)) || !AuxVoice)) return false;
    AStringArray westernNames, chineseNames;
    std::uint32_t stream = 0;
    if (VoiceCatalogue(Voices, AuxVoice.get(), &stream, westernNames, chineseNames, western, chinese, nullptr,
                       nullptr) == 0)
        return false;
    std::lock_guard<std::mutex> hold(Engine.NamesLock);
    if (Settings.SoundVoiceEng && Settings.SoundVoiceChn && Settings.SoundVoiceEng->IsEmpty() &&
        Settings.SoundVoiceChn->IsEmpty()) {
        *Settings.SoundVoiceEng = western;
        *Settings.SoundVoiceChn = chinese;
    }
    return true;
}

// An unset volume (below -500) leaves the voice's own and the setting alone,
// so that a test or a save never turns an unset volume into 0.
void AuxiliaryVoice::ApplyVolume(Voice& voice) {
    if (Settings.SoundPlayVol && *Settings.SoundPlayVol >= -500)
        SpeechEngine::SetVolumeClamped(voice, *Settings.SoundPlayVol);
}

void AuxiliaryVoice::TestSpeak(const AString& text, int length) {
    Engine.StartEngine();
    const AString gbk = length >= 0 && length < text.GetLength() ? text.Left(length) : text;
    const std::u16string wide = Utf16FromGbk(gbk);
    if (wide.empty() || !PrepareNames()) return;
    const bool chinese = IsMostlyWideText(wide.data(), static_cast<int>(wide.size() * 2));
    const VoiceTokenPtr token =
        FindVoiceByName(Voices, Read(Engine, chinese ? Settings.SoundVoiceChn : Settings.SoundVoiceEng));
    if (!token) return;
    VoiceResult ready;
    if (AuxVoice) {
        ready = AuxVoice->Speak(nullptr, kSpeakPurgeBeforeSpeak, nullptr);
    } else {
        ready = Voices.CreateVoice(AuxVoice);
        if (!AuxVoice) ready = kVoiceErrFail;
    }
    if (ready != kVoiceOk) return;
    AuxVoice->SetVoice(token);
    ApplyVolume(*AuxVoice);
    if (Settings.SoundPlaySpeed && *Settings.SoundPlaySpeed >= -500) AuxVoice->SetRate(*Settings.SoundPlaySpeed);
    AuxVoice->Speak(wide.c_str(), kSpeakAsync, nullptr);
}

void AuxiliaryVoice::ReleaseAuxVoice() { AuxVoice.reset(); }

bool AuxiliaryVoice::SaveSpeechToWave(const AString& text, const AString& voiceName, const std::u16string& path) {
    return SaveSpeechToWave(Utf16FromGbk(text), voiceName, path);
}

bool AuxiliaryVoice::SaveSpeechToWave(const std::u16string& text, const AString& voiceName,
                                      const std::u16string& path) {
    const VoiceTokenPtr token = FindVoiceByName(Voices, voiceName);
    AuxVoice.reset();
    if (VoiceFailed(Voices.CreateVoice(AuxVoice)) || !AuxVoice) {
        AuxVoice.reset();
        return false;
    }
    bool written = false;
    if (AuxVoice->SetWaveFileOutput(path.c_str()) == kVoiceOk) {
        if (OnBusy) OnBusy(true);
        AuxVoice->SetVoice(token);
        ApplyVolume(*AuxVoice);
        const bool spoken = VoiceSucceeded(AuxVoice->Speak(text.c_str(), kSpeakAsync | kSpeakIsNotXml, nullptr)) &&
                            AuxVoice->WaitUntilDone(kVoiceInfinite) == kVoiceOk;
        if (OnBusy) OnBusy(false);
        written = VoiceSucceeded(AuxVoice->CloseWaveOutput()) && spoken;
        if (!written) {
            std::error_code ignored;
            std::filesystem::remove(std::filesystem::path(path), ignored);
        }
    }
    AuxVoice.reset();
    return written;
}
