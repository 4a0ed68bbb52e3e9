#pragma once
// Window messages and command ids between the speech engine and its windows.
#include <cstdint>

inline constexpr std::uint32_t kWmCommand = 0x0111;  // WM_COMMAND: wParam = command id, lParam 0

// Commands (WM_COMMAND ids).
inline constexpr std::uint16_t ID_SPEECH_ATTACH = 57782;  // speech thread -> main window (sent): the main voice exists
inline constexpr std::uint16_t ID_SPEECH_SPEAK = 57783;   // toolbar -> toolbar: speak request
inline constexpr std::uint16_t ID_SPEECH_DONE = 57784;    // engine -> owner window (posted): speech stopped or ended
inline constexpr std::uint16_t ID_SPEECH_PAUSE = 57785;   // toolbar -> toolbar: pause request

// Messages.
inline constexpr std::uint32_t WM_SPEECH_EVENT = 0x8000;      // voice -> main window: events are waiting
inline constexpr std::uint32_t WM_SPEECH_WORD = 0x8009;       // engine -> owner (posted): wParam start, lParam end (UTF-16 units)
inline constexpr std::uint32_t WM_SPEECH_WORDSTART = 0x800D;  // engine -> owner (sent): wParam byte offset; answer: word start or -1
