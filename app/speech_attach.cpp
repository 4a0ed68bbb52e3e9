#include "app/speech_attach.h"

#include "speech/sapi_voice.h"
#include "speech/speech_engine.h"

std::unique_ptr<VoiceSystem> CreateSystemVoices() { return std::make_unique<SapiVoiceSystem>(); }

void AttachVoiceEventsTo(HWND window) {
    SpeechEngine& engine = TheSpeechEngine();
    std::shared_ptr<Voice> voice = engine.GetMainVoice();
    if (!voice) return;
    if (auto* sapi = dynamic_cast<SapiVoice*>(voice.get())) {
        sapi->SetNotifyWindowMessage(window, WM_SPEECH_EVENT);
        sapi->SetInterest(kVoiceInterestMask, kVoiceInterestMask);
    } else {
        engine.AttachVoiceEvents([window] { PostMessageA(window, WM_SPEECH_EVENT, 0, 0); });
    }
}
