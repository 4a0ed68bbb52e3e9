// mkdata: builds the program's data files from open sources.
//   mkdata readings <Unihan_Readings.txt> <frequencyjunda.txt.js> <out-dir>
//   mkdata big5 <Unihan_Variants.txt> <out-dir>
//   mkdata cedict <cedict_ts.u8.js> <out-dir>
//   mkdata components <cjk-decomp.txt.js> <stroke.dict.yaml> <out-dir>
//   mkdata definitions <Unihan_Readings.txt> <Unihan_Variants.txt> <cedict_ts.u8> <out-dir>
//   mkdata usage <frequencyjunda.txt.js> <out-dir>
//   mkdata sort <Unihan_IRGSources.txt> <out-dir>
//   mkdata polyphone <polyphone-model folder> <out-dir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "lexicon/char_data_files.h"
#include "lexicon/dict.h"
#include "rules/char_class.h"
#include "text/big5.h"
#include "text/gbk.h"
#include "tools/mkdata/big5_data.h"
#include "tools/mkdata/cedict_senses.h"
#include "tools/mkdata/component_data.h"
#include "tools/mkdata/js_template.h"
#include "tools/mkdata/junda.h"
#include "tools/mkdata/polyphone_data.h"
#include "tools/mkdata/reading_data.h"
#include "tools/mkdata/unihan_field.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "mkdata: %s\n", message.c_str());
    return 1;
}

bool ReadText(const std::string& path, std::string& text) { return ReadFileBytes(path, text) == ReadStatus::Ok; }

// The template literal of a JavaScript data module.
bool ReadModule(const std::string& path, std::string& text) {
    std::string js;
    return ReadText(path, js) && UnwrapTemplateLiteral(js, text);
}

int BuildReadings(const std::string& unihanPath, const std::string& frequencyPath, const std::string& outDir) {
    std::ifstream in(unihanPath);
    std::string frequency;
    if (!in) return Fail("cannot read " + unihanPath);
    if (!ReadModule(frequencyPath, frequency)) return Fail("cannot read " + frequencyPath);
    UnihanReadings unihan;
    unihan.Read(in);
    ReadingData data = BuildReadingData(unihan);
    if (data.gb2312.empty()) return Fail("no readings in " + unihanPath);
    const size_t common = MarkCommonChars(data, CommonChars(ParseJunDa(frequency), GbkIndex()));
    if (common != kCommonCharCount) return Fail("only " + std::to_string(common) + " common characters");
    if (!WriteToneReadingFile(DataFilePath(outDir, kToneMaskFile), data.toneMasks, false) ||
        !WriteToneReadingFile(DataFilePath(outDir, kToneOrderFile), data.toneOrders, true) ||
        !WriteGbReadingFile(DataFilePath(outDir, kGbReadingFile), data.gb2312))
        return Fail("cannot write the reading files in " + outDir);
    std::printf("mkdata: %zu characters with tone masks, %zu with tone orders, %zu of GB2312, %zu common\n",
                data.toneMasks.size(), data.toneOrders.size(), data.gb2312.size(), common);
    return 0;
}

int BuildBig5(const std::string& variantsPath, const std::string& outDir) {
    std::ifstream in(variantsPath);
    if (!in) return Fail("cannot read " + variantsPath);
    TraditionalVariants variants;
    variants.Read(in);
    const std::vector<std::uint8_t> table = BuildBig5Table(variants);
    int entries = 0;
    for (size_t i = 0; i < table.size(); i += 2) entries += table[i] >= 0x80;
    if (entries == 0) return Fail("no Big5 forms");
    if (!WriteBig5Table(DataFilePath(outDir, kBig5TableFile), table))
        return Fail("cannot write the Big5 table in " + outDir);
    std::printf("mkdata: %d GBK codes with a Big5 form\n", entries);
    return 0;
}

// The word list as it is, then its cache beside it.
int BuildCedict(const std::string& modulePath, const std::string& outDir) {
    std::string text;
    if (!ReadModule(modulePath, text) || text.rfind("# CC-CEDICT\n", 0) != 0)
        return Fail("no CC-CEDICT list in " + modulePath);
    const std::string path = DataFilePath(outDir, kWordListFile);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(text.data(), static_cast<std::streamsize>(text.size())) || !out.flush())
        return Fail("cannot write " + path);
    out.close();
    CDict dict;
    if (!dict.LoadWordDictionary(outDir)) return Fail("cannot write the word cache in " + outDir);
    std::printf("mkdata: %zu bytes of word list, %d words in the cache\n", text.size(), dict.WordDictionary.GetCount());
    return 0;
}

int BuildComponents(const std::string& decompPath, const std::string& strokePath, const std::string& outDir) {
    std::string text;
    std::ifstream strokeIn(strokePath);
    if (!ReadModule(decompPath, text)) return Fail("cannot read " + decompPath);
    if (!strokeIn) return Fail("cannot read " + strokePath);
    CjkDecomp decomp;
    std::istringstream decompIn(text);
    decomp.Read(decompIn);
    StrokeDict strokes;
    strokes.Read(strokeIn);
    const ComponentData data = BuildComponentData(decomp, strokes, GbkIndex());
    if (data.composite == 0 || data.base.empty()) return Fail("no components");
    if (!WriteComponentFile(DataFilePath(outDir, kComponentFile), data.components) ||
        !WriteComponentFile(DataFilePath(outDir, kBaseComponentFile), data.base))
        return Fail("cannot write the component files in " + outDir);
    std::printf("mkdata: %zu characters, %zu of them composite; %zu basic components with strokes, %zu inferred\n",
                data.components.size(), data.composite, data.base.size(), data.inferred);
    return 0;
}

// The first value of a Unihan code-point field ("U+9375 U+93C9"), or 0.
char32_t FirstCodePoint(const std::map<char32_t, std::string>& field, char32_t cp) {
    auto it = field.find(cp);
    if (it == field.end() || it->second.rfind("U+", 0) != 0) return 0;
    return static_cast<char32_t>(std::strtoul(it->second.c_str() + 2, nullptr, 16));
}

// Unihan's kDefinition, else the senses of the one-character CC-CEDICT words,
// else the kDefinition of the traditional form.
int BuildDefinitions(const std::string& unihanPath, const std::string& variantsPath, const std::string& cedictPath,
                     const std::string& outDir) {
    std::ifstream in(unihanPath), variantsIn(variantsPath);
    std::string cedict;
    if (!in) return Fail("cannot read " + unihanPath);
    if (!variantsIn) return Fail("cannot read " + variantsPath);
    if (!ReadText(cedictPath, cedict)) return Fail("cannot read " + cedictPath);
    const auto unihan = ReadUnihanField(in, "kDefinition");
    const auto traditional = ReadUnihanField(variantsIn, "kTraditionalVariant");
    const auto senses = ReadCedictCharSenses(cedict);
    const GbkIndex gbk;
    std::vector<std::pair<CharKey, std::string>> definitions;
    size_t fromUnihan = 0, gb2312 = 0;
    for (auto& [cp, code] : gbk.Chars()) {
        const unsigned char lead = static_cast<unsigned char>(code >> 8), trail = static_cast<unsigned char>(code);
        if (!IsGbkHanzi(lead, trail)) continue;
        const std::string* text = nullptr;
        if (auto u = unihan.find(cp); u != unihan.end())
            text = &u->second, ++fromUnihan;
        else if (auto c = senses.find(cp); c != senses.end())
            text = &c->second;
        else if (auto t = unihan.find(FirstCodePoint(traditional, cp)); t != unihan.end())
            text = &t->second;
        if (!text) continue;
        gb2312 += IsGb2312Code(lead, trail);
        definitions.emplace_back(MakeCharKey(lead, trail), gbk.EncodeText(*text));
    }
    if (!WriteDefinitionFile(DataFilePath(outDir, kDefinitionFile), definitions))
        return Fail("cannot write the definitions in " + outDir);
    std::printf("mkdata: %zu definitions (%zu of GB2312), %zu of them from Unihan\n", definitions.size(), gb2312,
                fromUnihan);
    return 0;
}

int BuildUsage(const std::string& frequencyPath, const std::string& outDir) {
    std::string text;
    if (!ReadModule(frequencyPath, text)) return Fail("cannot read " + frequencyPath);
    const GbkIndex gbk;
    std::vector<CharKey> order;
    for (const char32_t cp : ParseJunDa(text))
        if (const std::string g = gbk.Encode(cp); !g.empty()) order.push_back(CharKeyAt(g));
    if (order.empty() || !WriteUsageFile(DataFilePath(outDir, kUsageFile), order))
        return Fail("cannot write the usage list in " + outDir);
    std::printf("mkdata: %zu characters by usage\n", order.size());
    return 0;
}

// Unihan's kTotalStrokes (its first value) for every GBK character that has one.
int BuildSort(const std::string& unihanPath, const std::string& outDir) {
    std::ifstream in(unihanPath);
    if (!in) return Fail("cannot read " + unihanPath);
    const auto strokes = ReadUnihanField(in, "kTotalStrokes");
    const GbkIndex gbk;
    std::vector<std::pair<CharKey, int>> numbers;
    for (auto& [cp, code] : gbk.Chars()) {
        auto it = strokes.find(cp);
        const int n = it == strokes.end() ? 0 : std::atoi(it->second.c_str());
        if (n > 0) numbers.emplace_back(ToCharKey(DoubleByteCode(static_cast<std::uint16_t>(code))), n);
    }
    if (numbers.empty() || !WriteSortFile(DataFilePath(outDir, kSortFile), numbers))
        return Fail("cannot write the sort numbers in " + outDir);
    std::printf("mkdata: %zu stroke counts\n", numbers.size());
    return 0;
}

}  // namespace

// The polyphone model in the program's layout, read back before it counts as built.
int BuildPolyphone(const std::string& folder, const std::string& outDir) {
    PolyphoneModelData data;
    std::string error;
    if (!ReadPolyphoneModelFolder(folder, data, error)) return Fail(error);
    const std::string path = DataFilePath(outDir, kPolyphoneModelFile);
    const std::string bytes = SerializePolyphoneModel(data);
    std::ofstream out(path, std::ios::binary);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush())
        return Fail("cannot write " + path);
    out.close();
    PolyphoneModel model;
    if (!model.Load(path, error)) return Fail(error);
    return 0;
}

int main(int argc, char** argv) {
    const std::string step = argc > 1 ? argv[1] : "";
    if (argc == 5 && step == "readings") return BuildReadings(argv[2], argv[3], argv[4]);
    if (argc == 4 && step == "big5") return BuildBig5(argv[2], argv[3]);
    if (argc == 4 && step == "cedict") return BuildCedict(argv[2], argv[3]);
    if (argc == 5 && step == "components") return BuildComponents(argv[2], argv[3], argv[4]);
    if (argc == 6 && step == "definitions") return BuildDefinitions(argv[2], argv[3], argv[4], argv[5]);
    if (argc == 4 && step == "usage") return BuildUsage(argv[2], argv[3]);
    if (argc == 4 && step == "sort") return BuildSort(argv[2], argv[3]);
    if (argc == 4 && step == "polyphone") return BuildPolyphone(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: mkdata readings <Unihan_Readings.txt> <frequencyjunda.txt.js> <out-dir>\n"
                 "       mkdata big5 <Unihan_Variants.txt> <out-dir>\n"
                 "       mkdata cedict <cedict_ts.u8.js> <out-dir>\n"
                 "       mkdata components <cjk-decomp.txt.js> <stroke.dict.yaml> <out-dir>\n"
                 "       mkdata definitions <Unihan_Readings.txt> <Unihan_Variants.txt> <cedict_ts.u8> <out-dir>\n"
                 "       mkdata usage <frequencyjunda.txt.js> <out-dir>\n"
                 "       mkdata sort <Unihan_IRGSources.txt> <out-dir>\n"
                 "       mkdata polyphone <polyphone-model folder> <out-dir>\n");
    return 2;
}
