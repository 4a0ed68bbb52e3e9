#pragma once
// A fresh folder of its own under the temporary path, removed with its
// contents when the object goes.
#include <string>
#include <string_view>

class ScratchFolder {
public:
    // Makes <temp>/<prefix>_<random>; throws std::filesystem::filesystem_error
    // when no folder can be made.
    explicit ScratchFolder(std::string_view prefix = "zh_test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder, without a trailing separator.
    const std::string& Path() const { return path_; }
    // The path of `name` in the folder, joined as the data-file readers join it.
    std::string File(std::string_view name) const;

private:
    std::string path_;
};
