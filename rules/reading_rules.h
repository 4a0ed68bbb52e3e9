#pragma once
#include "lexicon/dict.h"
#include "text/aarray.h"
#include "text/astring.h"
// Context rules that choose the reading of a polyphonic character from the
// three characters before it and the three after it. All text is GBK.

// The character lists shared by several rules, in one table.
enum class ReadingList {
    DegreeWords,         // 不很真太忒特极
    TimeUnits,           // 天日周月年
    Counting,            // 一..九 零 Ｏ 十 每 两
    CountingWithoutOne,  // the same without 一
    Numbers,             // 一..九 零 Ｏ 十 百 千 万 亿 几 两
    DigitsByValue,       // Ｏ一二三四五六七八九十: position = value 0..10
    Appearance,          // 丑美俊靓帅漂健肥胖瘦大小高低矮壮弱骚
    Persons,             // 我咱俺你您他她谁人
    OfficeUnits,         // 部厅局县市省军师旅团营连排班首快慢官
    GrowingSubjects,     // 人儿女甥侄树孙子猫狗狼狸鸡鱼鸟雀鹰菌胞从自打
};
inline constexpr int kReadingListCount = 10;

// The list's characters in GBK (built once, shared by all threads).
const AString& GetReadingList(ReadingList list);

// True when the first character of s occurs in the GBK list. The list is
// scanned character by character: a byte with the high bit set starts a
// two-byte character compared with the first two bytes of s; other bytes are
// stepped over singly. An empty or single-byte s is in no list.
bool InReadingList(const AString& s, const AString& list);

// Decides the reading of ch (one two-byte character): 1 with the syllable in
// pinyin (toneless, lower case) and the tone in tone (1..5, 0 for a neutral
// reading without a tone number), or 0 to decline. history holds the
// characters already handled, oldest first (only the last three are read);
// next1..next3 are the characters after ch, null or empty at the end of the
// text. A ch shorter than two bytes or with a zero second byte gives 0 and
// leaves the outputs untouched; otherwise tone is first set to 0, and some
// rules leave a syllable and tone behind when they decline. allowFallback:
// a character without a rule takes its first reading and first tone (the
// syllable as stored, possibly in the compact spelling). Numerals take the
// reading of their digit character. dict must hold the character readings;
// it is only read, so concurrent calls are safe.
int ApplyReadingRules(const CDictTop& dict, AString ch, const AStringArray& history, const char* next1,
                      const char* next2, const char* next3, AString& pinyin, int& tone, int allowFallback);
