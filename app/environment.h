#pragma once
// What the program knows about its surroundings: its folders, the operating
// system's version and language, and the screen. Paths are 8-bit strings in
// the system code page; an empty path means "not available".
#include <windows.h>

// Folder of the executable, ending in a backslash: data and string files.
extern char ModuleFolder[MAX_PATH];
// Per-machine settings folder ("<common app data>\Zhorvan\"), or ModuleFolder.
extern char SettingsFolder[MAX_PATH];
// SettingsFolder + "Zhorvan.INI".
extern char SettingsFile[MAX_PATH];
// ModuleFolder + "TesmarelUI.ini", the installer's language file.
extern char UiBootstrapFile[MAX_PATH];

// Fills the four paths above from the module file name and the common
// application data folder.
void LocateFolders();
// Same, from given names: cuts the module name after its last backslash
// (double-byte aware in codePage), creates the "Zhorvan" sub-folder of
// commonAppData (null or empty: none) and falls back to ModuleFolder when
// that fails or a path would not fit.
void LocateFoldersFrom(const char* moduleFileName, const char* commonAppData, UINT codePage = CP_ACP);

struct OsVersion {
    bool IsNT = false;
    bool IsNT3 = false;
    bool IsWin2000OrLater = false;
    bool IsXPOrLater = false;
    bool IsVistaOrLater = false;
    int OsVersionNumber = 400;  // major * 100 + minor
};

// The running system's version, read once (RtlGetVersion, else GetVersionExA).
const OsVersion& OsInfo();
OsVersion OsVersionFrom(DWORD platformId, DWORD major, DWORD minor);

// Set by DetectSystemLanguage().
extern bool IsDbcsSystem;     // the ANSI code page has multi-byte characters
extern LANGID SystemLangId;   // system default language
extern bool IsChineseSystem;  // IsDbcsSystem and the primary language is Chinese

// Computes the three facts above; returns the default interface language.
int DetectSystemLanguage();

// Interface language index: 0 English, 1 simplified Chinese,
// 2 traditional Chinese, 3 German.
enum UiLanguage { UiEnglish = 0, UiSimplified = 1, UiTraditional = 2, UiGerman = 3 };
int UiLanguageFromLangId(LANGID langId);

// whole: the desktop rectangle; otherwise the work area without the taskbar.
RECT ScreenRect(bool whole);
// The work area minus the taskbar when the taskbar covers a whole side of it;
// otherwise (also for an empty taskbar) the work area unchanged.
RECT SubtractTaskbar(RECT work, RECT taskbar);
