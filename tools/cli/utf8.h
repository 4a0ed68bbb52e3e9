#pragma once
// Strict UTF-8 checking for the console front end; UTF-8 output
// (Utf16ToUtf8) comes from the text layer.
#include <string>
#include <string_view>

#include "text/code_pages.h"

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// GBK text (or text already in UTF-16) as UTF-8.
std::string GbkToUtf8(const AString& text);
