#include "reader/rich_edit_library.h"

#include "ui/msg_box.h"
#include "ui/ui_strings.h"

namespace {

// Owns the module; freed only when the process ends.
class LibraryHandle {
public:
    ~LibraryHandle() {
        if (module_) FreeLibrary(module_);
    }
    HMODULE Get() {
        if (!module_) module_ = LoadLibraryW(L"RICHED20.DLL");
        if (!module_) module_ = LoadLibraryW(L"RICHED32.DLL");
        return module_;
    }
    HMODULE Loaded() const { return module_; }

private:
    HMODULE module_ = nullptr;
};
LibraryHandle library;

}  // namespace

bool LoadRichEditLibrary() {
    if (library.Get()) return true;
    ShowFormattedMessage("IDS_RICHED_LOAD_FAIL", 0, false);
    return false;
}

HMODULE RichEditLibrary() { return library.Loaded(); }
