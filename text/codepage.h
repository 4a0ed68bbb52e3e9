#pragma once
// The platform's conversion between 8-bit code pages and UTF-16, one narrow pair.
// Implemented by codepage_win.cpp (MultiByteToWideChar / WideCharToMultiByte)
// and codepage_posix.cpp (iconv) for the code pages of text/gbk_bytes.h: GBK,
// Big5, Japanese, Korean and Western.
//
// Both behave like their Win32 namesakes: with dstCap == 0 they return the size
// the result needs; otherwise they write at most dstCap units (bytes) and return
// the count written, 0 on failure or when the result does not fit. srcLen < 0
// means up to and including the terminating zero. Invalid input becomes the
// code page's default character rather than failing; an unknown code page
// gives 0. The multi-byte to UTF-16 direction composes characters (precomposed
// forms).

int MultiByteToUtf16(int codePage, const char* src, int srcLen, char16_t* dst, int dstCap);
int Utf16ToMultiByte(int codePage, const char16_t* src, int srcLen, char* dst, int dstCap);
