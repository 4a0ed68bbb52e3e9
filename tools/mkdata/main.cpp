// mkdata: builds the program's data files from open sources.
//   mkdata readings <Unihan_Readings.txt> <out-dir>
//   mkdata big5 <Unihan_Variants.txt> <out-dir>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "text/big5.h"
#include "tools/mkdata/big5_data.h"
#include "tools/mkdata/reading_data.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "mkdata: %s\n", message.c_str());
    return 1;
}

int BuildReadings(const char* unihanPath, const std::string& outDir) {
    std::ifstream in(unihanPath);
    if (!in) return Fail(std::string("cannot read ") + unihanPath);
    UnihanReadings unihan;
    unihan.Read(in);
    const ReadingData data = BuildReadingData(unihan);
    if (data.gb2312.empty()) return Fail(std::string("no readings in ") + unihanPath);
    if (!WriteToneReadingFile(DataFilePath(outDir, kToneMaskFile), data.toneMasks, false) ||
        !WriteToneReadingFile(DataFilePath(outDir, kToneOrderFile), data.toneOrders, true) ||
        !WriteGbReadingFile(DataFilePath(outDir, kGbReadingFile), data.gb2312))
        return Fail("cannot write the reading files in " + outDir);
    std::printf("mkdata: %zu characters with tone masks, %zu with tone orders, %zu of GB2312\n",
                data.toneMasks.size(), data.toneOrders.size(), data.gb2312.size());
    return 0;
}

int BuildBig5(const char* variantsPath, const std::string& outDir) {
    std::ifstream in(variantsPath);
    if (!in) return Fail(std::string("cannot read ") + variantsPath);
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

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "readings") == 0) return BuildReadings(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "big5") == 0) return BuildBig5(argv[2], argv[3]);
    std::fprintf(stderr, "usage: mkdata readings <Unihan_Readings.txt> <out-dir>\n"
                         "       mkdata big5 <Unihan_Variants.txt> <out-dir>\n");
    return 2;
}
