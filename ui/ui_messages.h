#pragma once
// Private window messages of the user interface, in one place. WM_APP to
// WM_APP + 0xFF are the speech engine's (speech/speech_messages.h); ours start
// at kUiMessageBase. Later messages of the windows go here.
#include <windows.h>

inline constexpr UINT kUiMessageBase = WM_APP + 0x100;

// dialog -> itself (posted by EndDialog): wakes its modal loop to end.
inline constexpr UINT WM_UI_END_MODAL = kUiMessageBase + 0;
