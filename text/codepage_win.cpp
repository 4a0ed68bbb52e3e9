#include "text/codepage.h"

#include <windows.h>

int MultiByteToUtf16(int codePage, const char* src, int srcLen, char16_t* dst, int dstCap) {
    if (!src || srcLen == 0 || dstCap < 0 || (dstCap > 0 && !dst)) return 0;
    return MultiByteToWideChar(static_cast<UINT>(codePage), MB_PRECOMPOSED, src, srcLen,
                               reinterpret_cast<wchar_t*>(dst), dstCap);
}

int Utf16ToMultiByte(int codePage, const char16_t* src, int srcLen, char* dst, int dstCap) {
    if (!src || srcLen == 0 || dstCap < 0 || (dstCap > 0 && !dst)) return 0;
    return WideCharToMultiByte(static_cast<UINT>(codePage), 0, reinterpret_cast<const wchar_t*>(src), srcLen,
                               dst, dstCap, nullptr, nullptr);
}
