#include "tools/cli/cli_platform.h"

// shellapi.h uses the types of windows.h.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

namespace {

std::string ToCodePage(const wchar_t* text, int units, UINT codePage) {
    const int bytes = WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? static_cast<size_t>(bytes) : 0, '\0');
    if (bytes > 0) WideCharToMultiByte(codePage, 0, text, units, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

// Cut in UTF-16, so that a GBK trail byte 0x5C in the path is no separator.
std::vector<std::string> DataFolderCandidates() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    const auto separator = [&](int i) { return path[i] == L'\\' || path[i] == L'/'; };
    int folder = static_cast<int>(n);
    while (folder > 0 && !separator(folder - 1)) --folder;
    if (folder == 0) return {};
    std::vector<std::string> folders{ToCodePage(path, folder, CP_ACP)};
    int parent = folder - 1;
    while (parent > 0 && !separator(parent - 1)) --parent;
    if (parent > 0) folders.push_back(ToCodePage(path, parent, CP_ACP) + "data\\");
    return folders;
}

std::vector<std::string> Utf8Arguments(int, char**) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) args.push_back(ToCodePage(wide[i], -1, CP_UTF8));
        LocalFree(wide);
    }
    for (std::string& a : args)
        if (!a.empty() && a.back() == '\0') a.pop_back();  // the length counted the terminator
    return args;
}
