#pragma once
#include <string>

#include "tests/support/string_bytes.h"
#include "tests/support/text_literals.h"
#include "text/astring.h"

// GBK (code page 936) bytes of a few characters.
#define GBK_ZHONG "\xD6\xD0"  // 中 U+4E2D
#define GBK_WEN "\xCE\xC4"    // 文 U+6587
#define GBK_SHANG "\xC9\xCF"  // 上
#define GBK_MIAN "\xC3\xE6"   // 面
