#include "tools/cli/exe_folder.h"

#include <windows.h>

// Cut in UTF-16, so that a GBK trail byte 0x5C in the path is no separator.
std::string ExecutableFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    int len = static_cast<int>(n);
    while (len > 0 && path[len - 1] != L'\\' && path[len - 1] != L'/') --len;
    char folder[MAX_PATH * 2];
    const int bytes = WideCharToMultiByte(CP_ACP, 0, path, len, folder, sizeof folder, nullptr, nullptr);
    return bytes > 0 ? std::string(folder, static_cast<size_t>(bytes)) : std::string();
}
