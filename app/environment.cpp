#include "app/environment.h"

#include <shellapi.h>
#include <shlobj.h>
#include <string.h>

#include <utility>

char ModuleFolder[MAX_PATH];
char SettingsFolder[MAX_PATH];
char SettingsFile[MAX_PATH];
char UiBootstrapFile[MAX_PATH];

bool IsDbcsSystem;
LANGID SystemLangId;
bool IsChineseSystem;

namespace {

const char kProductFolder[] = "Zhorvan\\";
const char kSettingsName[] = "Zhorvan.INI";
const char kBootstrapName[] = "TesmarelUI.ini";

// dst = a + b, or "" when that does not fit in MAX_PATH.
bool JoinPath(char* dst, const char* a, const char* b) {
    size_t la = strlen(a), lb = strlen(b);
    if (la + lb >= MAX_PATH) {
        dst[0] = 0;
        return false;
    }
    memmove(dst, a, la);
    memcpy(dst + la, b, lb + 1);
    return true;
}

// Length of path up to and including its last backslash. Trail bytes of
// double-byte characters can be 0x5C and are skipped.
size_t FolderLength(const char* path, UINT codePage) {
    size_t end = 0;
    for (size_t i = 0; path[i]; i++) {
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(path[i])) && path[i + 1]) {
            i++;
            continue;
        }
        if (path[i] == '\\') end = i + 1;
    }
    return end;
}

bool IsFolder(const char* path) {
    DWORD attr = GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

// "<appData>\Zhorvan\", found or created, into dst.
bool FindOrCreateSettingsFolder(char* dst, const char* appData, UINT codePage) {
    if (!appData || !*appData) return false;
    char parent[MAX_PATH], folder[MAX_PATH];
    bool endsInSlash = FolderLength(appData, codePage) == strlen(appData);
    if (!JoinPath(parent, appData, endsInSlash ? "" : "\\") || !JoinPath(folder, parent, kProductFolder) ||
        strlen(folder) + strlen(kSettingsName) >= MAX_PATH) {
        return false;
    }
    if (!IsFolder(folder) && !CreateDirectoryA(folder, nullptr) && !IsFolder(folder)) return false;
    strcpy(dst, folder);
    return true;
}

// RtlGetVersion reports the true version; GetVersionExA may be shimmed.
OsVersion ReadOsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    if (HMODULE ntdll = GetModuleHandleA("ntdll.dll")) {
        auto proc = reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion"));
        OSVERSIONINFOW vi{};
        vi.dwOSVersionInfoSize = sizeof vi;
        if (proc && reinterpret_cast<RtlGetVersionFn>(proc)(&vi) == 0) {
            return OsVersionFrom(vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion);
        }
    }
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    if (GetVersionExA(&vi)) return OsVersionFrom(vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion);
    return OsVersion{};
}

RECT DesktopRect() {
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    return r;
}

RECT Normalized(RECT r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

}  // namespace

void LocateFoldersFrom(const char* moduleFileName, const char* commonAppData, UINT codePage) {
    ModuleFolder[0] = SettingsFolder[0] = SettingsFile[0] = UiBootstrapFile[0] = 0;
    size_t len = moduleFileName ? FolderLength(moduleFileName, codePage) : 0;
    if (len < MAX_PATH) {
        memcpy(ModuleFolder, moduleFileName, len);
        ModuleFolder[len] = 0;
    }
    if (!FindOrCreateSettingsFolder(SettingsFolder, commonAppData, codePage)) strcpy(SettingsFolder, ModuleFolder);
    if (SettingsFolder[0]) JoinPath(SettingsFile, SettingsFolder, kSettingsName);
    if (ModuleFolder[0]) JoinPath(UiBootstrapFile, ModuleFolder, kBootstrapName);
}

void LocateFolders() {
    char module[4 * MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    if (n == 0 || n >= sizeof module) module[0] = 0;
    char appData[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData))) appData[0] = 0;
    LocateFoldersFrom(module, appData);
}

OsVersion OsVersionFrom(DWORD platformId, DWORD major, DWORD minor) {
    OsVersion v;
    v.IsNT = platformId == VER_PLATFORM_WIN32_NT;
    v.IsNT3 = v.IsNT && major == 3;
    v.IsWin2000OrLater = v.IsNT && major >= 5;
    v.IsXPOrLater = v.IsNT && (major > 5 || (major == 5 && minor > 0));
    v.IsVistaOrLater = v.IsXPOrLater && major > 5;
    v.OsVersionNumber = static_cast<int>(major * 100 + minor);
    return v;
}

const OsVersion& OsInfo() {
    static const OsVersion info = ReadOsVersion();
    return info;
}

int DetectSystemLanguage() {
    CPINFO cp{};
    IsDbcsSystem = GetCPInfo(CP_ACP, &cp) && cp.MaxCharSize > 1;
    SystemLangId = GetSystemDefaultLangID();
    IsChineseSystem = IsDbcsSystem && PRIMARYLANGID(SystemLangId) == LANG_CHINESE;
    return UiLanguageFromLangId(SystemLangId);
}

int UiLanguageFromLangId(LANGID langId) {
    switch (PRIMARYLANGID(langId)) {
        case LANG_CHINESE: {
            int sub = SUBLANGID(langId);
            return sub == SUBLANG_CHINESE_SIMPLIFIED || sub == SUBLANG_CHINESE_SINGAPORE ? UiSimplified : UiTraditional;
        }
        case LANG_GERMAN: return UiGerman;
        default: return UiEnglish;
    }
}

RECT SubtractTaskbar(RECT work, RECT taskbar) {
    taskbar = Normalized(taskbar);
    if (IsRectEmpty(&taskbar)) return work;
    work = Normalized(work);
    // SubtractRect changes the rectangle only when the taskbar spans a whole side.
    RECT rest;
    return SubtractRect(&rest, &work, &taskbar) ? rest : work;
}

RECT ScreenRect(bool whole) {
    if (whole) return DesktopRect();
    const OsVersion& os = OsInfo();
    RECT work{};
    bool haveWorkArea = !(os.IsNT3 && os.OsVersionNumber < 310) &&
                        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) && !IsRectEmpty(&work);
    if (!haveWorkArea) {
        work = DesktopRect();
        work.bottom -= 10;
    }
    if (os.IsNT3 && os.OsVersionNumber < 351) return work;
    if (HWND tray = FindWindowA("Shell_TrayWnd", nullptr)) {
        APPBARDATA abd{};
        abd.cbSize = sizeof abd;
        abd.hWnd = tray;
        if (SHAppBarMessage(ABM_GETTASKBARPOS, &abd)) work = SubtractTaskbar(work, abd.rc);
    }
    return work;
}
