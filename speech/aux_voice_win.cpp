#include <windows.h>

#include "speech/aux_voice.h"
#include "speech/speech_engine.h"

namespace {

// A voice system that has no voices: the auxiliary voice of an engine made
// without one stays silent.
class NoVoices : public VoiceSystem {
public:
    VoiceResult InitThread() override { return kVoiceOk; }
    void UninitThread() override {}
    VoiceResult CreateVoice(std::unique_ptr<Voice>& voice) override {
        voice.reset();
        return kVoiceErrFail;
    }
    VoiceResult EnumTokens(const char16_t*, const char16_t*, const char16_t*,
                           std::vector<VoiceTokenPtr>& tokens) override {
        tokens.clear();
        return kVoiceOk;
    }
};

}  // namespace

AuxiliaryVoice& TheAuxVoice() {
    static AuxiliaryVoice* aux = [] {
        SpeechEngine& engine = TheSpeechEngine();
        static NoVoices none;
        VoiceSystem* voices = engine.GetVoiceSystem();
        auto* made = new AuxiliaryVoice(engine, voices ? *voices : none, AppSpeechSettings());
        made->OnBusy = [](bool busy) {
            static HCURSOR previous = nullptr;
            if (busy)
                previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
            else
                SetCursor(previous);
        };
        return made;
    }();
    return *aux;
}

void TestSpeak(const AString& text, int length) { TheAuxVoice().TestSpeak(text, length); }

void ReleaseAuxVoice() { TheAuxVoice().ReleaseAuxVoice(); }

bool SaveSpeechToWave(const AString& text, const AString& voiceName, const std::wstring& path) {
    return TheAuxVoice().SaveSpeechToWave(text, voiceName, std::u16string(path.begin(), path.end()));
}
