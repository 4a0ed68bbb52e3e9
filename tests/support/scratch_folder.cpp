#include "tests/support/scratch_folder.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <system_error>

#include "text/data_file.h"

namespace fs = std::filesystem;

namespace {

// A name part that differs between processes and between calls.
std::string UniqueSuffix() {
    static std::atomic<std::uint64_t> counter{0};
    static const std::uint64_t seed =
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::mt19937_64 mix(seed + counter.fetch_add(1));
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix;
    for (std::uint64_t v = mix(); suffix.size() < 16; v >>= 4) suffix += kDigits[v & 0xF];
    return suffix;
}

}  // namespace

ScratchFolder::ScratchFolder(std::string_view prefix) {
    const fs::path temp = fs::temp_directory_path();
    for (int attempt = 0;; ++attempt) {
        const fs::path candidate = temp / (std::string(prefix) + "_" + UniqueSuffix());
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate.string();
            return;
        }
        if (attempt == 100 || (ec && ec != std::errc::file_exists)) {
            if (!ec) ec = std::make_error_code(std::errc::file_exists);
            throw fs::filesystem_error("cannot make a scratch folder", candidate, ec);
        }
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string ScratchFolder::File(std::string_view name) const { return DataFilePath(path_, std::string(name).c_str()); }
