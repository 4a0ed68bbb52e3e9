#pragma once
// The reader's views of a text on the console: segments, pinyin and the
// information pane. Text in UTF-16, output in UTF-8.
#include <string_view>

#include "lexicon/dict.h"

// kind, first, end, text: one line per segment.
int PrintSegments(const CDictTop& dict, std::u16string_view units);
// The character and its tone-marked readings, one line per non-blank character.
int PrintPinyin(const CDictTop& dict, std::u16string_view units);
// The information pane's plain text, with the labels of the interface language.
int PrintInfo(const CDictTop& dict, std::u16string_view units, int uiLanguage);
