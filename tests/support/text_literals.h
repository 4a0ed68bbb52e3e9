#pragma once
// Test text from UTF-8 literals: GBK strings, UTF-16 units and character
// keys; double-byte codes in failure messages.
#include <ostream>
#include <string>
#include <string_view>

#include "text/astring.h"
#include "text/gbk_bytes.h"

// The UTF-8 text in GBK, a narrow string; a character without a GBK form
// becomes '?'.
AString Gbk(std::string_view utf8);
// The same GBK bytes as a std::string, for comparing with Bytes().
std::string GbkBytes(std::string_view utf8);
// The UTF-8 text as UTF-16 units.
std::u16string Utf16(std::string_view utf8);
// The key of the one GBK double-byte character that `utf8` holds; 0 when the
// text is anything else.
CharKey Key(std::string_view utf8);

// Double-byte codes print in hexadecimal, lead byte first.
void PrintTo(DoubleByteCode code, std::ostream* os);
