#pragma once
// The picture shown while the program starts: bitmap 177 in a topmost,
// disabled pop-up that never takes the focus, at the centre of the work area.
#include <windows.h>

// Registers the picture's class and shows it; 0 when the class could not be
// registered (no picture), else 1.
int ShowStartupPicture(HINSTANCE instance);
// Destroys the picture's window when it exists.
void DestroyStartupPicture();
// The picture's window, or null.
HWND StartupPictureWindow();
