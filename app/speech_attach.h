#pragma once
// The toolbar's side of the speech engine's voices: the system's voices, and
// the voice events reported to the toolbar window as WM_SPEECH_EVENT.
#include <windows.h>

#include <memory>

#include "speech/voice.h"

// The SAPI voices of the system.
std::unique_ptr<VoiceSystem> CreateSystemVoices();
// ID_SPEECH_ATTACH: the main voice reports its events to `window`.
void AttachVoiceEventsTo(HWND window);
