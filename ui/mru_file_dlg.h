#pragma once
// The program's open and save dialog: the system's explorer-style file dialog
// with an extension template (IDD_FILE_SAVE_EXTRA, IDD_FILE_OPEN_EXTRA) below
// the standard controls holding a list of recently used folders and,
// optionally, a second list of the caller's (the voices of a speech file).
// The folder history is section FolderHistorySection of SettingsFile, keys
// "Folder1" (newest) to "Folder16" (written; 1 to 15 are read), each value a
// folder ending in a backslash. In save mode a message hook takes over the
// confirmation: extension, overwrite question, folder history; the dialog
// then closes with Cancel and ChosenPath holds the accepted path.
// User-interface thread only; one file dialog runs at a time.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/combo_mru.h"

inline constexpr int kFolderHistoryRead = 15;  // keys read: Folder1 .. Folder15

class CMRUFileDlg {
public:
    // mode > 0: open dialog, else save dialog. The filter's parts are
    // separated by "|" ("Wav File(*.wav)|*.wav||").
    CMRUFileDlg(int mode, std::wstring defaultExtension, std::wstring fileName, DWORD flags, std::wstring_view filter,
                HWND parent, bool showExtraList);
    ~CMRUFileDlg();
    CMRUFileDlg(const CMRUFileDlg&) = delete;
    CMRUFileDlg& operator=(const CMRUFileDlg&) = delete;

    // Runs the dialog: IDOK (PathName holds the file), IDCANCEL (ChosenPath
    // holds the path the save hook accepted, or is empty). IDCANCEL at once
    // while another file dialog runs.
    INT_PTR Run();
    // The system dialog's file after IDOK.
    const std::wstring& PathName() const { return pathName_; }
    // The extension template's window (its parent is the standard dialog) while it runs.
    HWND Extension() const { return extension_; }
    HWND StandardDialog() const { return standard_; }

    std::wstring FolderHistorySection = L"MRUDIRLIST";
    std::wstring ChosenPath;
    std::vector<std::wstring> ExtensionList;  // one per filter pair: ".wav", ".*", or empty
    std::vector<std::wstring> ExtraList;      // entries of the second list
    int ExtraIndex = 0;                       // in: preselection; out: the user's choice

    // The folder to the top of the history and of the folder list; a
    // backslash is appended when missing. Failures to write are silent.
    void SaveFolderHistory(std::wstring folder);
    // Lays the template's controls out below the standard ones (also on resize).
    void Layout();

    // Appends "." + ext unless the file name's extension is ext (any case);
    // a name ending in "." gets ext alone.
    static void EnsureExtension(std::wstring& path, std::wstring_view ext);
    // History value `number` ("Folder%d") of `section`; empty when missing.
    static std::wstring ReadFolderHistory(const std::wstring& section, int number);
    // The dialog that runs now, or null.
    static CMRUFileDlg* Active() { return active_; }

private:
    static UINT_PTR CALLBACK HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM lParam);

    void OnInitDone();
    void FillLists();
    void WidenTypeList();
    void TranslateLabels();
    void OnFolderChosen();
    void OnTypeChange(int filterIndex);
    void OnFileOk(const wchar_t* path);
    // A queued message of the thread: true when the save hook took it over.
    bool OnQueuedMessage(MSG& message);
    bool IsEnterTrigger(HWND focus) const;
    HWND FileNameBox() const;
    std::wstring DialogText(UINT message) const;  // CDM_GETSPEC, CDM_GETFILEPATH
    int ExtraSelection() const;

    bool open_;
    bool showExtra_;
    bool initialising_ = true;
    std::wstring defaultExtension_;
    std::wstring filter_;  // with its NUL separators
    std::vector<wchar_t> file_;
    std::wstring initialFolder_;
    std::wstring pathName_;
    DWORD flags_;
    HWND parent_;
    HWND extension_ = nullptr;
    HWND standard_ = nullptr;
    std::unique_ptr<CComboMRU> folderList_, extraList_;

    static CMRUFileDlg* active_;
    static HHOOK hook_;
};
