// The file dialog with its folder history under Wine: the system's save and
// open dialogs with the program's extension templates, driven from a thread
// timer inside their modal loops; the history in a scratch settings file.
// Pictures go to build/screens/file_dialog.
#include "ui/mru_file_dlg.h"

#include <windows.h>
// after windows.h
#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/environment.h"
#include "res/resource_ids.h"
#include "tests/reader/dialog_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screenshot.h"
#include "tests/ui/interface_language.h"
#include "ui/msg_box.h"

namespace {

namespace fs = std::filesystem;

std::wstring W(const std::string& s) { return fs::path(s).wstring(); }

// SettingsFile pointed at a scratch file for the test's life.
class ScratchProfile {
public:
    ScratchProfile() {
        std::strcpy(saved_, SettingsFile);
        std::strcpy(SettingsFile, folder_.File("Zhorvan.INI").c_str());
    }
    ~ScratchProfile() { std::strcpy(SettingsFile, saved_); }
    const ScratchFolder& Folder() const { return folder_; }
    // A new sub-folder, as the history stores it (ending in a backslash).
    std::wstring MakeFolder(const std::string& name) const {
        fs::create_directories(fs::path(folder_.Path()) / name);
        return W(folder_.File(name)) + L"\\";
    }
    void Write(const std::wstring& section, int number, const std::wstring& value) const {
        WritePrivateProfileStringW(section.c_str(), (L"Folder" + std::to_wstring(number)).c_str(), value.c_str(),
                                   W(SettingsFile).c_str());
    }
    std::vector<std::wstring> Read(const std::wstring& section, int upTo = 16) const {
        std::vector<std::wstring> values;
        for (int i = 1; i <= upTo; i++) values.push_back(CMRUFileDlg::ReadFolderHistory(section, i));
        return values;
    }

private:
    ScratchFolder folder_{"zh_filedlg"};
    char saved_[MAX_PATH] = {};
};

// ---- The running dialog, seen from a step ----

HWND Standard() {
    CMRUFileDlg* d = CMRUFileDlg::Active();
    return d && d->StandardDialog() && IsWindowVisible(d->StandardDialog()) ? d->StandardDialog() : nullptr;
}
HWND Extension() { return CMRUFileDlg::Active() ? CMRUFileDlg::Active()->Extension() : nullptr; }
HWND FileNameBox() {
    const HWND box = GetDlgItem(Standard(), cmb13);
    return box ? box : GetDlgItem(Standard(), edt1);
}
std::wstring ItemText(HWND box, int i) {
    wchar_t b[1024] = {};
    SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(b));
    return b;
}
std::vector<std::wstring> Items(HWND box) {
    std::vector<std::wstring> items;
    for (int i = 0, n = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0)); i < n; i++)
        items.push_back(ItemText(box, i));
    return items;
}
std::wstring CurrentFolder() {
    wchar_t b[MAX_PATH] = {};
    SendMessageW(Standard(), CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(b));
    return b;
}
RECT ScreenRectOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

// Types a name into the file-name box and presses Enter there (a queued key,
// as the keyboard delivers it).
bool TypeAndEnter(const std::wstring& name) {
    if (!Standard()) return false;
    SetWindowTextW(FileNameBox(), name.c_str());
    SetFocus(FileNameBox());
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    return true;
}

// Presses and releases the OK button with the mouse: the press takes the capture.
bool ClickOk() {
    if (!Standard()) return false;
    const HWND ok = GetDlgItem(Standard(), IDOK);
    PostMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    return true;
}

// The program's message box over the file dialog, or null.
CMsgBox* OpenQuestion() {
    if (!Standard()) return nullptr;
    for (HWND h : OpenDialogs())
        if (GetWindow(h, GW_OWNER) == Standard())
            return dynamic_cast<CMsgBox*>(reinterpret_cast<Dialog*>(GetWindowLongPtrW(h, DWLP_USER)));
    return nullptr;
}

// Answers the overwrite question, once it is open, with `button`; `asked` counts the questions.
DialogScript::Step Answer(int button, int& asked, std::wstring* question = nullptr) {
    return [button, &asked, question] {
        CMsgBox* box = OpenQuestion();
        if (!box) return false;
        asked++;
        if (question) *question = W(std::string(box->Text.GetString()));
        PostMessageW(box->Hwnd(), WM_COMMAND, button, 0);
        return true;
    };
}

bool Cancel() {
    if (!Standard()) return false;
    PostMessageW(Standard(), WM_COMMAND, IDCANCEL, 0);
    return true;
}

CMRUFileDlg SaveWavDialog(bool extra = true) {
    return CMRUFileDlg(0, L"wav", L"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, L"Wav File(*.wav)|*.wav||", nullptr,
                       extra);
}

// ---- Portable parts ----

TEST(FileDialogNames, EnsureExtensionAppendsOnlyAMissingExtension) {
    const struct {
        const wchar_t* path;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\a\\speech", L"C:\\a\\speech.wav"},     {L"C:\\a\\speech.wav", L"C:\\a\\speech.wav"},
        {L"C:\\a\\speech.WAV", L"C:\\a\\speech.WAV"}, {L"C:\\a\\notes.txt", L"C:\\a\\notes.txt.wav"},
        {L"C:\\a\\speech.", L"C:\\a\\speech.wav"},    {L"C:\\my.dir\\speech", L"C:\\my.dir\\speech.wav"},
        {L"C:\\a\\x.wave", L"C:\\a\\x.wave.wav"},     {L"speech", L"speech.wav"},
    };
    for (const auto& c : cases) {
        std::wstring path = c.path;
        CMRUFileDlg::EnsureExtension(path, L"wav");
        EXPECT_EQ(path, c.expected) << fs::path(c.path).string();
    }
}

TEST(FileDialogNames, TheFilterGivesOneExtensionPerPair) {
    const struct {
        const wchar_t* filter;
        std::vector<std::wstring> extensions;
    } cases[] = {
        {L"Wav File(*.wav)|*.wav||", {L".wav"}},
        {L"Text(*.txt;*.text)|*.txt;*.text|All files|*.*||", {L".txt", L".*"}},
        {L"Any|readme|Wav|*.wav||", {L"", L".wav"}},
        {L"", {}},
    };
    for (const auto& c : cases) {
        CMRUFileDlg d(0, L"wav", L"", 0, c.filter, nullptr, false);
        EXPECT_EQ(d.ExtensionList, c.extensions) << fs::path(c.filter).string();
    }
}

// The history without a dialog: the listed (existing) folders move down.
TEST(FolderHistory, TheNewestComesFirstWithoutDuplicatesAndTheOldestFallsOff) {
    ScratchProfile profile;
    std::vector<std::wstring> folders;
    for (int i = 0; i < 17; i++) folders.push_back(profile.MakeFolder("f" + std::to_string(i)));
    const std::wstring section = L"MRUDIRLIST_WAV";
    CMRUFileDlg d(0, L"wav", L"", 0, L"Wav File(*.wav)|*.wav||", nullptr, false);
    d.FolderHistorySection = section;

    d.SaveFolderHistory(folders[0].substr(0, folders[0].size() - 1));  // the backslash is added
    d.SaveFolderHistory(folders[1]);
    EXPECT_EQ(profile.Read(section, 3), (std::vector<std::wstring>{folders[1], folders[0], L""}));
    // Again the most recent one, in other case: nothing moves, nothing doubles.
    std::wstring upper = folders[1];
    CharUpperW(upper.data());
    d.SaveFolderHistory(folders[1]);
    d.SaveFolderHistory(upper);
    EXPECT_EQ(profile.Read(section, 3), (std::vector<std::wstring>{upper, folders[0], L""}));
    // An older one comes back to the top.
    d.SaveFolderHistory(folders[0]);
    EXPECT_EQ(profile.Read(section, 3), (std::vector<std::wstring>{folders[0], upper, L""}));
    // No folder: nothing moves.
    d.SaveFolderHistory(L"");
    EXPECT_EQ(profile.Read(section, 3), (std::vector<std::wstring>{folders[0], upper, L""}));
    // The other section is untouched.
    EXPECT_EQ(profile.Read(L"MRUDIRLIST", 1), std::vector<std::wstring>{L""});

    // Fifteen listed, one more: the oldest stays only under key 16, which is never read.
    ScratchProfile full;
    for (int i = 0; i < 15; i++) full.Write(section, i + 1, folders[static_cast<size_t>(i)]);
    d.SaveFolderHistory(folders[15]);
    const std::vector<std::wstring> after = full.Read(section, 16);
    EXPECT_EQ(after[0], folders[15]);
    for (int i = 1; i < 16; i++) EXPECT_EQ(after[static_cast<size_t>(i)], folders[static_cast<size_t>(i - 1)]) << i;
    d.SaveFolderHistory(folders[16]);
    EXPECT_EQ(full.Read(section, 16)[15], folders[13]);  // folders[14] is gone for good

    // Folders that no longer exist are not carried along.
    ScratchProfile gone;
    gone.Write(section, 1, L"Z:\\no\\such\\folder\\");
    gone.Write(section, 2, folders[2]);
    d.SaveFolderHistory(folders[3]);
    EXPECT_EQ(gone.Read(section, 3), (std::vector<std::wstring>{folders[3], folders[2], L""}));
}

// ---- The dialog ----

class FileDialog : public ::testing::Test {
protected:
    ScratchProfile profile;
};

TEST_F(FileDialog, ListsTheExistingFoldersAndTheVoicesBelowTheStandardControls) {
    const std::wstring a = profile.MakeFolder("alpha"), b = profile.MakeFolder("beta");
    profile.Write(L"MRUDIRLIST_WAV", 1, b);
    profile.Write(L"MRUDIRLIST_WAV", 2, L"Z:\\no\\such\\folder\\");
    profile.Write(L"MRUDIRLIST_WAV", 3, a);
    profile.Write(L"MRUDIRLIST", 1, a);  // another section
    InterfaceLanguage language(0);
    const struct {
        int language;
        const wchar_t* folders;
        const wchar_t* voice;
        const char* picture;
    } languages[] = {{0, L"Used Folders", L"Voice", "file_dialog/save_en"},
                     {1, L"\u6700\u8fd1\u6587\u4ef6\u5939", L"\u8bed\u97f3", "file_dialog/save_zh"},
                     {3, L"Letzte Ordner", L"Stimme", "file_dialog/save_de"}};
    for (const auto& lang : languages) {
        SCOPED_TRACE(lang.language);
        language.Use(lang.language);
        CMRUFileDlg d = SaveWavDialog();
        d.FolderHistorySection = L"MRUDIRLIST_WAV";
        d.ExtraList = {L"Chinese Voice \u4e2d\u6587", L"Western Voice"};
        d.ExtraIndex = 1;
        bool looked = false;
        DialogScript script({[&] {
                                 if (!Standard() || !Extension()) return false;
                                 const HWND x = Extension();
                                 const HWND folders = GetDlgItem(x, IDC_FOLDER_LIST),
                                            extra = GetDlgItem(x, IDC_EXTRA_LIST);
                                 EXPECT_EQ(Items(folders), (std::vector<std::wstring>{b, a}));
                                 EXPECT_EQ(SendMessageW(folders, CB_GETCURSEL, 0, 0), 0);
                                 EXPECT_EQ(Items(extra), d.ExtraList);
                                 EXPECT_EQ(SendMessageW(extra, CB_GETCURSEL, 0, 0), 1);
                                 // The dialog opens in the newest folder.
                                 EXPECT_EQ(CurrentFolder() + L"\\", b);
                                 // Labels and lists line up with the file-type label and list.
                                 const RECT typeLabel = ScreenRectOf(GetDlgItem(Standard(), stc2));
                                 const RECT typeList = ScreenRectOf(GetDlgItem(Standard(), cmb1));
                                 const RECT label = ScreenRectOf(GetDlgItem(x, IDC_FOLDER_LABEL));
                                 const RECT extraLabel = ScreenRectOf(GetDlgItem(x, IDC_EXTRA_LABEL));
                                 const RECT list = ScreenRectOf(folders), extraList = ScreenRectOf(extra);
                                 EXPECT_EQ(label.left, typeLabel.left);
                                 EXPECT_EQ(list.left, typeList.left);
                                 EXPECT_EQ(list.right, typeList.right);
                                 EXPECT_GE(list.top, typeList.bottom);
                                 EXPECT_EQ(extraLabel.left, label.left);
                                 EXPECT_LE(label.right, list.left);
                                 EXPECT_EQ(extraLabel.top - label.top, extraList.top - list.top);
                                 EXPECT_EQ(extraList.left, list.left);
                                 EXPECT_EQ(extraList.right, list.right);
                                 EXPECT_EQ(extraList.top - list.top, (list.bottom - list.top) * 3 / 2);
                                 EXPECT_TRUE(IsWindowVisible(extra) && IsWindowEnabled(extra));
                                 const RECT dialog = ScreenRectOf(Standard());
                                 EXPECT_LE(extraList.bottom, dialog.bottom);
                                 wchar_t text[64] = {};
                                 GetDlgItemTextW(x, IDC_FOLDER_LABEL, text, 64);
                                 EXPECT_STREQ(text, lang.folders);
                                 GetDlgItemTextW(x, IDC_EXTRA_LABEL, text, 64);
                                 EXPECT_STREQ(text, lang.voice);
                                 SaveScreenshot(Standard(), lang.picture);
                                 looked = true;
                                 // Larger: the lists follow the file-type list.
                                 const RECT before = ScreenRectOf(Standard());
                                 SetWindowPos(Standard(), nullptr, 0, 0, before.right - before.left + 160,
                                              before.bottom - before.top + 80, SWP_NOMOVE | SWP_NOZORDER);
                                 return true;
                             },
                             [&] {
                                 const HWND x = Extension();
                                 const RECT typeList = ScreenRectOf(GetDlgItem(Standard(), cmb1));
                                 const RECT list = ScreenRectOf(GetDlgItem(x, IDC_FOLDER_LIST));
                                 const RECT extraList = ScreenRectOf(GetDlgItem(x, IDC_EXTRA_LIST));
                                 EXPECT_EQ(list.left, typeList.left);
                                 EXPECT_EQ(list.right, typeList.right);
                                 EXPECT_EQ(extraList.right, typeList.right);
                                 EXPECT_GE(list.top, typeList.bottom);
                                 EXPECT_LE(extraList.bottom, ScreenRectOf(Standard()).bottom);
                                 if (lang.language == 0) SaveScreenshot(Standard(), "file_dialog/save_en_larger");
                                 return true;
                             },
                             Cancel});
        EXPECT_EQ(d.Run(), IDCANCEL);
        EXPECT_TRUE(looked);
        EXPECT_TRUE(d.ChosenPath.empty());
        EXPECT_EQ(d.ExtraIndex, 1);
    }
}

TEST_F(FileDialog, TheOpenDialogHidesTheSecondListAndChoosingAFolderOpensIt) {
    const std::wstring a = profile.MakeFolder("one"), b = profile.MakeFolder("two");
    profile.Write(L"MRUDIRLIST", 1, a);
    profile.Write(L"MRUDIRLIST", 2, b);
    CMRUFileDlg d(1, L"txt", L"", OFN_HIDEREADONLY, L"Text(*.txt)|*.txt||", nullptr, false);
    std::wstring opened, nameAfter = L"?";
    DialogScript script({[&] {
                             if (!Standard() || !Extension()) return false;
                             const HWND x = Extension();
                             EXPECT_FALSE(IsWindowVisible(GetDlgItem(x, IDC_EXTRA_LIST)));
                             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(x, IDC_EXTRA_LIST)));
                             EXPECT_FALSE(IsWindowVisible(GetDlgItem(x, IDC_EXTRA_LABEL)));
                             const HWND folders = GetDlgItem(x, IDC_FOLDER_LIST);
                             SendMessageW(folders, CB_SETCURSEL, 1, 0);
                             SendMessageW(x, WM_COMMAND, MAKEWPARAM(IDC_FOLDER_LIST, CBN_SELCHANGE),
                                          reinterpret_cast<LPARAM>(folders));
                             return true;
                         },
                         [&] {
                             opened = CurrentFolder();
                             wchar_t name[MAX_PATH] = {};
                             GetWindowTextW(FileNameBox(), name, MAX_PATH);
                             nameAfter = name;
                             return true;
                         },
                         Cancel});
    EXPECT_EQ(d.Run(), IDCANCEL);
    EXPECT_EQ(opened + L"\\", b);
    EXPECT_EQ(nameAfter, L"");
}

TEST_F(FileDialog, ChangingTheFileTypeChangesTheNamesExtension) {
    const std::wstring folder = profile.MakeFolder("types");
    profile.Write(L"MRUDIRLIST", 1, folder);
    CMRUFileDlg d(0, L"wav", L"", OFN_HIDEREADONLY, L"Wav File(*.wav)|*.wav|Text(*.txt)|*.txt|All|*.*||", nullptr,
                  false);
    const struct {
        const wchar_t* typed;
        int type;  // 0-based item of the type list
        const wchar_t* expected;
    } cases[] = {{L"speech.wav", 1, L"speech.txt"},
                 {L"speech", 0, L"speech.wav"},
                 {L"speech.txt", 2, L"speech.txt"},  // ".*" changes nothing
                 {L"", 1, L""},
                 {L"sub\\", 1, L"sub\\"}};
    std::vector<std::wstring> seen;
    std::vector<DialogScript::Step> steps;
    for (const auto& c : cases)
        steps.push_back([&c, &seen] {
            if (!Standard() || !Extension()) return false;
            SetWindowTextW(FileNameBox(), c.typed);
            const HWND types = GetDlgItem(Standard(), cmb1);
            SendMessageW(types, CB_SETCURSEL, c.type, 0);
            SendMessageW(Standard(), WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
            wchar_t name[MAX_PATH] = {};
            GetWindowTextW(FileNameBox(), name, MAX_PATH);
            seen.push_back(name);
            return true;
        });
    steps.push_back(Cancel);
    DialogScript script(steps);
    d.Run();
    ASSERT_EQ(seen.size(), std::size(cases));
    for (size_t i = 0; i < seen.size(); i++) EXPECT_EQ(seen[i], cases[i].expected) << i;
}

TEST_F(FileDialog, EnterOnANameChoosesItsWavFileAndClosesWithCancel) {
    const std::wstring folder = profile.MakeFolder("out"), older = profile.MakeFolder("older");
    for (bool mouse : {false, true}) {
        SCOPED_TRACE(mouse);
        profile.Write(L"MRUDIRLIST_WAV", 1, folder);
        profile.Write(L"MRUDIRLIST_WAV", 2, older);
        CMRUFileDlg d = SaveWavDialog();
        d.FolderHistorySection = L"MRUDIRLIST_WAV";
        d.ExtraList = {L"A", L"B", L"C"};
        DialogScript script({[&] {
            if (!Standard() || !Extension()) return false;
            SendMessageW(GetDlgItem(Extension(), IDC_EXTRA_LIST), CB_SETCURSEL, 2, 0);
            if (!mouse) return TypeAndEnter(L"speech");
            SetWindowTextW(FileNameBox(), L"speech");
            return ClickOk();
        }});
        EXPECT_EQ(d.Run(), IDCANCEL);
        EXPECT_EQ(d.ChosenPath, folder + L"speech.wav");
        EXPECT_EQ(d.ExtraIndex, 2);
        EXPECT_FALSE(fs::exists(d.ChosenPath));  // choosing writes nothing
        EXPECT_EQ(profile.Read(L"MRUDIRLIST_WAV", 3), (std::vector<std::wstring>{folder, older, L""}));
    }
}

TEST_F(FileDialog, AnExistingFileAsksFirstAndNoKeepsTheDialogOpen) {
    const std::wstring folder = profile.MakeFolder("exists");
    profile.Write(L"MRUDIRLIST_WAV", 1, folder);
    const std::wstring file = folder + L"speech.wav";
    std::ofstream(fs::path(file), std::ios::binary) << "old";
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    CMRUFileDlg d = SaveWavDialog();
    d.FolderHistorySection = L"MRUDIRLIST_WAV";
    int asked = 0;
    std::wstring question;
    bool openAfterNo = false;
    DialogScript script({[] { return TypeAndEnter(L"speech"); }, Answer(IDNO, asked, &question),
                         [&] {
                             if (OpenQuestion()) return false;
                             openAfterNo = Standard() != nullptr && d.ChosenPath.empty();
                             return TypeAndEnter(L"speech.wav");
                         },
                         Answer(IDYES, asked)});
    EXPECT_EQ(d.Run(), IDCANCEL);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(question, L"File already exists. Overwrite it?");
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(d.ChosenPath, file);
    // The old file stays until the new one replaces it, no longer read-only.
    std::ifstream in(fs::path(file), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    EXPECT_FALSE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY);
}

// The hook leaves names it does not own to the system dialog.
TEST_F(FileDialog, FoldersPatternsAndLongExtensionsAreTheSystemDialogsOwn) {
    const std::wstring folder = profile.MakeFolder("own");
    fs::create_directories(fs::path(folder) / "inner");
    profile.Write(L"MRUDIRLIST", 1, folder);
    CMRUFileDlg d(0, L"txt", L"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, L"Text(*.txt)|*.txt||", nullptr, false);
    std::wstring inside;
    DialogScript script({[] { return TypeAndEnter(L"inner"); },
                         [&] {
                             inside = CurrentFolder();
                             return !inside.empty() && TypeAndEnter(L"notes.abcde");
                         }});
    EXPECT_EQ(d.Run(), IDOK);
    EXPECT_EQ(inside, folder + L"inner");
    EXPECT_TRUE(d.ChosenPath.empty());
    EXPECT_EQ(d.PathName(), folder + L"inner\\notes.abcde");
    // Accepting the name keeps its folder too.
    EXPECT_EQ(profile.Read(L"MRUDIRLIST", 2), (std::vector<std::wstring>{folder + L"inner\\", folder}));
}

TEST_F(FileDialog, OneFileDialogRunsAtATime) {
    CMRUFileDlg outer = SaveWavDialog(), inner = SaveWavDialog();
    INT_PTR nested = 0;
    DialogScript script({[&] {
                             if (!Standard()) return false;
                             nested = inner.Run();
                             return true;
                         },
                         Cancel});
    EXPECT_EQ(outer.Run(), IDCANCEL);
    EXPECT_EQ(nested, IDCANCEL);
    EXPECT_EQ(CMRUFileDlg::Active(), nullptr);
}

}  // namespace
