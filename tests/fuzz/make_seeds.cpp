// Writes the seed corpora of the fuzz targets into <folder>/<target>/: small
// valid files made by the project's own writers.
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/char_data_files.h"
#include "lexicon/reading_files.h"
#include "lexicon/word_dict.h"
#include "text/big5.h"
#include "text/gbk_bytes.h"

namespace {

namespace fs = std::filesystem;

// GBK characters: 中 行 好 女 子 雨 口 木 林.
constexpr CharKey kZhong = MakeCharKey(0xD6, 0xD0), kXing = MakeCharKey(0xD0, 0xD0), kHao = MakeCharKey(0xBA, 0xC3),
                  kNv = MakeCharKey(0xC5, 0xAE), kZi = MakeCharKey(0xD7, 0xD3), kKou = MakeCharKey(0xBF, 0xDA),
                  kMu = MakeCharKey(0xC4, 0xBE), kLin = MakeCharKey(0xC1, 0xD6);

std::string Text(CharKey k) { return {static_cast<char>(CharKeyLead(k)), static_cast<char>(CharKeyTrail(k))}; }

bool failed = false;

void Check(bool ok, const std::string& what) {
    if (!ok) std::fprintf(stderr, "make_seeds: cannot write %s\n", what.c_str());
    failed = failed || !ok;
}

std::string Seed(const fs::path& root, const char* target, const char* name) {
    std::error_code ec;
    fs::create_directories(root / target, ec);
    return (root / target / name).string();
}

void ToneSeeds(const fs::path& root) {
    for (bool ordered : {false, true}) {
        auto tones = [&](std::vector<int> t) -> std::uint16_t { return ordered ? MakeToneOrder(t) : MakeToneMask(t); };
        const std::vector<ToneReadingRecord> records = {
            {kZhong, {"zhong"}, {tones({1, 4})}, 1},
            {kXing, {"xig", "hag"}, {tones({2}), tones({2, 4})}, 3},
            {kHao, {"hao"}, {tones({3, 4})}, 0},
            {kLin,
             {"lin", "lv", "nue", "jv", "io", "ug"},
             {tones({2}), tones({1}), tones({4}), tones({5}), tones({1, 2, 3, 4, 5}), tones({3})},
             2},
        };
        const char* target = ordered ? "tone_orders" : "tone_masks";
        Check(WriteToneReadingFile(Seed(root, target, "four"), records, ordered), target);
        Check(WriteToneReadingFile(Seed(root, target, "empty"), {}, ordered), target);
    }
}

void GbSeeds(const fs::path& root) {
    const std::vector<GbReadingRecord> records = {
        {kZhong, {"zhong"}}, {kXing, {"xing", "hang"}}, {kHao, {}}, {kLin, {"lin", "lin"}}};
    Check(WriteGbReadingFile(Seed(root, "gb_readings", "four"), records), "gb_readings");
}

void Big5Seeds(const fs::path& root) {
    std::vector<std::uint8_t> table = NewBig5Table();
    const std::pair<std::uint16_t, std::uint16_t> entries[] = {
        {0xD6D0, 0xA4A4}, {0xBAC3, 0xA66E}, {0xCFB5, 0xA874}, {0xC3E6, 0xADB1}, {0x8140, 0x8140}};
    for (const auto& [gbk, big5] : entries) SetBig5TableEntry(table, DoubleByteCode(gbk), DoubleByteCode(big5));
    Check(WriteBig5Table(Seed(root, "big5_table", "table"), table), "big5_table");
    // Short GBK text with the context characters: 关系 系统 皇后 面条 注释.
    std::string text = "\xB9\xD8\xCF\xB5\xCF\xB5\xCD\xB3\xBB\xCA\xBA\xF3\xC3\xE6\xCC\xF5\xD7\xA2\xCA\xCD";
    Check(WriteFileBytes(Seed(root, "big5_table", "context"), text), "big5_table");
}

void WordSeeds(const fs::path& root) {
    WordMap words(16);
    const char* const entries[][3] = {
        {"\xC4\xE3\xBA\xC3", "ni3 hao3", "hello/hi"},            // 你好
        {"\xD6\xD0\xB9\xFA", "zhong1 guo2", "China"},            // 中国
        {"\xBA\xC3", "hao3", "good"},                            // 好
        {"\xD0\xD0\xB3\xA4", "hang2 zhang3", "bank president"},  // 行长
        {"ab", "", ""},
    };
    for (const auto& [headword, pinyin, defs] : entries) {
        CedictEntry& e = words[AString(headword)];
        e.pinyin = pinyin;
        e.definitions = defs;
    }
    Check(WriteWordCache(Seed(root, "word_cache", "five"), words, WordListStamp{1234, 5678}), "word_cache");
    words.RemoveAll();
    words[AString("\xBA\xC3")].pinyin = "hao3";
    words[AString("\xBA\xC3")].reservedValue = 7;
    Check(WriteWordCache(Seed(root, "word_cache", "one"), words, WordListStamp{}), "word_cache");

    const std::string list =
        "# CC-CEDICT style\r\n"
        "\xE4\xBD\xA0\xE5\xA5\xBD \xE4\xBD\xA0\xE5\xA5\xBD [ni3 hao3] /hello/hi/\n"    // 你好
        "\xE4\xB8\xAD\xE5\x9C\x8B \xE4\xB8\xAD\xE5\x9B\xBD [Zhong1 guo2] /China/\r\n"  // 中國 中国
        "\xE5\xA6\xB3\xE5\x80\x91,\xE4\xBD\xA0\xE4\xBB\xAC [ni3 men5] /you/\n"         // 妳們,你们
        "\xE5\xA5\xBD \xE5\xA5\xBD [hao3] /good/well/\n"                               // 好
        "\xE5\xA5\xBD \xE5\xA5\xBD [hao4] /to be fond of/\n"
        "\xE8\xA1\x8C\xE9\x95\xB7 \xE8\xA1\x8C\xE9\x95\xBF [hang2 zhang3] // bank president /\n"  // 行長 行长
        "A \xE9\x98\xBF [a1] /x/\n";
    Check(WriteFileBytes(Seed(root, "word_list", "list"), list), "word_list");
}

void CharDataSeeds(const fs::path& root) {
    const std::vector<std::pair<std::string, std::string>> parts = {
        {Text(kHao), Text(kNv) + Text(kZi)}, {Text(kNv), Text(kNv)},
        {Text(kZi), "a" + Text(kKou)},       {"a", "R" + Text(kMu)},
        {Text(kLin), Text(kMu) + Text(kMu)}, {Text(kMu), Text(kLin)},  // a cycle
    };
    const std::vector<std::pair<std::string, std::string>> base = {
        {Text(kMu), Text(kMu)}, {Text(kKou), Text(kKou)}, {"b", Text(kZi) + "b"}};
    const std::string comp = Seed(root, "components", "tables"), copy = comp + ".base";
    std::string bytes, baseBytes;
    Check(WriteComponentFile(comp, parts) && WriteComponentFile(copy, base) &&
              ReadFileBytes(comp, bytes) == ReadStatus::Ok && ReadFileBytes(copy, baseBytes) == ReadStatus::Ok &&
              WriteFileBytes(comp, bytes + '\0' + baseBytes),
          "components");
    std::remove(copy.c_str());

    Check(WriteDefinitionFile(Seed(root, "definitions", "three"),
                              {{kZhong, "\xD6\xD0\xBC\xE4"}, {kHao, "\xBA\xC3"}, {kZhong, ""}, {kLin, "x"}}),
          "definitions");
    Check(WriteUsageFile(Seed(root, "usage_scores", "four"), {kZhong, kHao, kXing, kZhong}), "usage_scores");
    Check(WriteSortFile(Seed(root, "sort_numbers", "four"), {{kZhong, 123}, {kHao, -45}, {kLin, 2147483647}, {kMu, 0}}),
          "sort_numbers");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    const fs::path root(argv[1]);
    ToneSeeds(root);
    GbSeeds(root);
    Big5Seeds(root);
    WordSeeds(root);
    CharDataSeeds(root);
    return failed ? 1 : 0;
}
