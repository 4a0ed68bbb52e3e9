#include "text/data_file.h"

#include <cstdio>
#include <utility>

std::string DataFilePath(const std::string& folder, const char* name) {
#ifdef _WIN32
    constexpr char kSep = '\\';
#else
    constexpr char kSep = '/';
#endif
    std::string path = folder;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += kSep;
    return path + name;
}

namespace {

DataFileReadHook& ReadHook() {
    static DataFileReadHook hook;
    return hook;
}

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return ReadStatus::Missing;
    char buf[1 << 16];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, got);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    return failed ? ReadStatus::Damaged : ReadStatus::Ok;
}

}  // namespace

ReadStatus ReadFileBytes(const std::string& path, std::string& bytes) {
    const ReadStatus status = ReadWholeFile(path, bytes);
    if (ReadHook()) ReadHook()(path, status);
    return status;
}

DataFileReadHook SetDataFileReadHook(DataFileReadHook hook) { return std::exchange(ReadHook(), std::move(hook)); }

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
}

namespace {

DataFileHook& Hook() {
    static DataFileHook hook;
    return hook;
}

}  // namespace

DataFileHook SetDataFileHook(DataFileHook hook) { return std::exchange(Hook(), std::move(hook)); }

void ReportDataFile(const std::string& path, DataFileProblem problem) {
    if (Hook()) Hook()(path, problem);
}
