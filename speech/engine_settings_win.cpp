#include "app/settings.h"
#include "speech/speech_settings.h"

SpeechSettings AppSpeechSettings() {
    return {&AppSettings.SoundPlayLoop, &AppSettings.SoundPlayReadType, &AppSettings.SoundPlaySpeed,
            &AppSettings.SoundPlayVol, &AppSettings.SoundPaySyncWord_Dialog, &AppSettings.SoundVoiceEng,
            &AppSettings.SoundVoiceChn, &AppSettings.ContextReadings};
}
