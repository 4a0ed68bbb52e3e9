#pragma once
// The platform's rich-edit library, loaded once for the process and kept:
// RICHED20.DLL, else RICHED32.DLL.
#include <windows.h>

// True when a rich-edit library is loaded; otherwise the message keyed
// "IDS_RICHED_LOAD_FAIL" is shown, once per call.
bool LoadRichEditLibrary();
// The library's module, or null when none could be loaded.
HMODULE RichEditLibrary();
