#include <windows.h>

#include <vector>

#include "ui/profile_read.h"

AString ReadProfileString(const char* section, const char* key, const char* def, int bufferSize, const char* file) {
    if (bufferSize < 1 || !file || !key) return AString();
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize) + 1, 0);
    DWORD n =
        GetPrivateProfileStringA(section, key, def ? def : "", buffer.data(), static_cast<DWORD>(bufferSize), file);
    if (n >= static_cast<DWORD>(bufferSize)) n = static_cast<DWORD>(bufferSize) - 1;
    return AString::FromBytes(buffer.data(), static_cast<int>(n));
}
