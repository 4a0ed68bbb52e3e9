#pragma once
#include <string>

#include "text/astring.h"
#include "text/gbk_bytes.h"
#include "text/utf8.h"
// Code pages, character sets and the conversions of text for display: GBK (and
// GBK mixed with Western single-byte text) to UTF-16, single GBK characters,
// and the system's own UTF-8 decoder. UTF-16 results are AString objects with
// the wide flag set; an empty result is the plain empty string.

// Script numbers: 0 and 1 simplified Chinese, 2 traditional Chinese, 3
// Western, 4 Japanese, 5 Korean.
//
// CodePageFor: with isScript, the code page of a script (above 5: kCodePageGbk);
// otherwise the code page of a GDI character set (unknown sets: kCodePageWestern).
// CharsetFor: with isScript, the GDI character set of a script (0 for script
// 0, 134 for scripts it does not name); otherwise the set of a code page
// (unknown pages: 134).
int CodePageFor(int value, bool isScript);
int CharsetFor(int value, bool isScript);

// `length` bytes of text (0: up to the first zero byte) in `codePage`
// (negative: kCodePageGbk), converted by the platform with precomposed
// characters. Empty input or a failed conversion gives the empty string.
AString GbkToUiText(const char* bytes, int length = 0, int codePage = -1);

// Text that mixes GBK with Western single-byte text: a byte starts a
// double-byte character when it and the next byte both lie in 0x81..0xFE;
// runs of such characters convert with GBK, runs of the other bytes with
// `westernCodePage` (negative: kCodePageWestern). length < 0: up to the first
// zero byte.
AString MixedToUiText(const char* bytes, int length, int westernCodePage = -1);

// The UTF-16 unit of the GBK character at pair[0], pair[1]; 0 when the two
// bytes do not convert to one character. The cached form converts each
// character once per process and may be used from any thread.
char16_t GbkCharToUnicode(const char* pair);
char16_t GbkCharToUnicodeCached(const char* pair);
int GbkCharCacheCount();  // characters in the cache

// The system's UTF-8 decoder (Utf8Decoding::System of text/utf8.h): a
// sequence that would run past the end stops the decoding. With `terminate`,
// a zero unit follows the text and is counted in the result's length. A
// UTF-16 argument is returned as it is.
AString Utf8ToUtf16(const AString& utf8, bool terminate = false);
AString Utf8ToUtf16(const char* bytes, int length, bool terminate = false);

// The script number (above) of the first unit that lies in one of the East
// Asian ranges: 1 Chinese, 4 Japanese kana, 5 Korean, 0 none of these.
int ScriptOfWideText(const char16_t* units, int count);
