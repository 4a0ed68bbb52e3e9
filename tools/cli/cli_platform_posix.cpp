#include "tools/cli/cli_platform.h"

#include <unistd.h>

std::string ExecutableFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string s(path, static_cast<size_t>(n));
    return s.substr(0, s.rfind('/') + 1);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }
