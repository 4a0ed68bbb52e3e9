#pragma once
// Pictures of windows for people to look at.
#include <windows.h>

#include <string>

// Saves what the screen shows of `window` (frame included) as a PNG file;
// the folders on the way are created. False when nothing could be saved.
bool SaveWindowPng(HWND window, const std::wstring& path);
