// mkdata: builds the program's data files from open sources.
//   mkdata readings <Unihan_Readings.txt> <out-dir>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "readings") == 0) return BuildReadings(argv[2], argv[3]);
    std::fprintf(stderr, "usage: mkdata readings <Unihan_Readings.txt> <out-dir>\n");
    return 2;
}
