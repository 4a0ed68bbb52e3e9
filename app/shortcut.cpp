#include "app/shortcut.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "ui/gdi.h"

namespace {

constexpr char kProductName[] = "Zhorvan";

std::wstring Wide(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

// COM for the calls of one function, undone when it returns.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

// The shell's item id list, freed with the shell allocator.
class ItemIdList {
public:
    ~ItemIdList() {
        if (p_) CoTaskMemFree(p_);
    }
    LPITEMIDLIST* Put() { return &p_; }
    LPCITEMIDLIST Get() const { return p_; }

private:
    LPITEMIDLIST p_ = nullptr;
};

}  // namespace

bool CreateShortcut(const char* target, const char* shortcut, const char* description, int iconIndex) {
    if (!target || !shortcut) return false;
    ComScope com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
        return false;
    const std::wstring path = Wide(target);
    link->SetPath(path.c_str());
    link->SetDescription(Wide(description ? description : "").c_str());
    link->SetIconLocation(path.c_str(), iconIndex == 0 ? 0 : 1);
    const size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos) link->SetWorkingDirectory(path.substr(0, slash).c_str());
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return false;
    return SUCCEEDED(file->Save(Wide(shortcut).c_str(), TRUE));
}

std::string SpecialFolderPath(int folderId) {
    ItemIdList location;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, location.Put())) || !location.Get()) return {};
    char path[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(location.Get(), path)) return {};
    return path;
}

std::string StartupTarget() {
    std::vector<char> name(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) return {};
        if (n < name.size()) break;
        name.resize(name.size() * 2);
    }
    std::string target = name.data();
    for (size_t at; (at = target.find("\\.\\")) != std::string::npos;) target.erase(at, 2);
    return target;
}

std::string StartupShortcutPath() {
    const std::string folder = SpecialFolderPath(CSIDL_STARTUP);
    if (folder.empty()) return {};
    return folder + "\\" + kProductName + ".lnk";
}

void UpdateStartupShortcut(bool on) {
    const std::string shortcut = StartupShortcutPath();
    if (shortcut.empty()) return;
    if (on)
        CreateShortcut(StartupTarget().c_str(), shortcut.c_str(), kProductName, 0);
    else
        DeleteFileA(shortcut.c_str());
}
