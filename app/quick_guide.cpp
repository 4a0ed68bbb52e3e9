#include "app/quick_guide.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <htmlhelp.h>

#include "app/environment.h"
#include "app/settings.h"
#include "ui/ui_strings.h"

namespace {

constexpr char kHelpControlServer[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr char kHelpControlName[] = "hhctrl.ocx";

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// The registered server of the HTML Help control, environment strings expanded; empty when none.
AString RegisteredHelpLibrary() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHelpControlServer, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1, type = 0;
    const LONG read = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    char expanded[MAX_PATH] = {};
    const DWORD n = ExpandEnvironmentStringsA(value, expanded, sizeof expanded);
    return AString(n > 0 && n <= sizeof expanded ? expanded : value);
}

// The help library, looked for at the first request and kept until exit.
class HelpLibrary {
public:
    HelpLibrary() {
        const AString registered = RegisteredHelpLibrary();
        if (!registered.IsEmpty()) module_ = LoadLibraryA(registered.GetString());
        if (!module_) module_ = LoadLibraryA(kHelpControlName);
        if (module_)
            htmlHelp_ =
                reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "HtmlHelpA")));
    }
    ~HelpLibrary() {
        if (module_) FreeLibrary(module_);
    }
    HelpLibrary(const HelpLibrary&) = delete;
    HelpLibrary& operator=(const HelpLibrary&) = delete;

    HtmlHelpFn Entry() const { return htmlHelp_; }

private:
    HMODULE module_ = nullptr;
    HtmlHelpFn htmlHelp_ = nullptr;
};

const HelpLibrary& Help() {
    static const HelpLibrary library;
    return library;
}

}  // namespace

AString QuickGuideTopic() {
    AString topic;
    topic.Format("%s%s::/Tesmarel_Guide%s.htm", ModuleFolder, kQuickGuideFile,
                 LanguageFileSuffix(AppSettings.UILanguage).GetString());
    return topic;
}

void ShowQuickGuide() {
    if (const HtmlHelpFn htmlHelp = Help().Entry())
        htmlHelp(nullptr, QuickGuideTopic().GetString(), HH_DISPLAY_TOPIC, 0);
}
