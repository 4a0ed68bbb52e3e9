#pragma once
// Shell shortcuts and special folders: the start-up shortcut of the system
// preferences. Paths are 8-bit strings in the system code page.
#include <windows.h>

#include <string>

// A shell link at `shortcut` to `target` with its description, the target's
// icon (index 0 when iconIndex is 0, else 1) and, when the target has a
// folder, that folder as working directory. True when it was saved.
bool CreateShortcut(const char* target, const char* shortcut, const char* description, int iconIndex);

// The file system path of a special folder (CSIDL_...); empty when the shell
// has none.
std::string SpecialFolderPath(int folderId);

// The executable's full path with every "\.\" made "\".
std::string StartupTarget();
// SpecialFolderPath(CSIDL_STARTUP) + "\Zhorvan.lnk"; empty without a Startup folder.
std::string StartupShortcutPath();
// Creates the shortcut when `on`, else deletes it; nothing without a Startup folder.
void UpdateStartupShortcut(bool on);
