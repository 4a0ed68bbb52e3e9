#include <unistd.h>

#include "tools/cli/cli_platform.h"

std::vector<std::string> DataFolderCandidates() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    const std::string exe(path, static_cast<size_t>(n));
    const size_t folderEnd = exe.rfind('/');
    if (folderEnd == std::string::npos) return {};
    std::vector<std::string> folders{exe.substr(0, folderEnd + 1)};
    const size_t parentEnd = folderEnd > 0 ? exe.rfind('/', folderEnd - 1) : std::string::npos;
    if (parentEnd != std::string::npos) folders.push_back(exe.substr(0, parentEnd + 1) + "data/");
    return folders;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }
