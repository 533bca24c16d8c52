#include "shell/FileDialogs_win.h"

#include <windows.h>

#include <cderr.h>
#include <commdlg.h>

#include "shell/SHBFFEX_win.h"
#include "toolkit/Application_win.h"
#include "toolkit/Exceptions.h"
#include "toolkit/Form_win.h"

namespace {

// Room for a long multiple selection: the folder and every name, each with its null.
const DWORD kOpenBufferChars = 1 << 17;
const DWORD kSaveBufferChars = 1 << 15;

OPENFILENAMEW CommonRequest(const std::wstring& title, const std::wstring& filter, int filterIndex,
                            const std::wstring& initialDir, std::wstring& systemFilter, std::wstring& buffer) {
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetActiveWindow();
    systemFilter = SystemFilterText(filter);
    ofn.lpstrFilter = filter.empty() ? nullptr : systemFilter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return ofn;
}

// Cancel is no error; anything else the dialog reports is.
void CheckDialogError() {
    switch (const DWORD error = CommDlgExtendedError()) {
    case 0: return;
    case FNERR_BUFFERTOOSMALL: throw Exception(L"選択されたファイルが多すぎます。");
    default: throw Exception(L"ファイルの選択ダイアログを開けません。(" + std::to_wstring(error) + L")");
    }
}

std::wstring Preset(const std::wstring& fileName, DWORD size) {
    std::wstring buffer(size, L'\0');
    fileName.copy(buffer.data(), size - 1);
    return buffer;
}

}  // namespace

TShellFileDialogs& ShellFileDialogs() {
    static TShellFileDialogs dialogs;
    return dialogs;
}

std::optional<TFolderChoice> TShellFileDialogs::RunFolder(const TFolderRequest& request) {
    TSHBrowseForFolderEx picker(Application().ActiveForm() ? Application().ActiveForm() : Application().MainForm());
    picker.Caption = request.caption;
    picker.SelectFolder = sfManual;
    picker.SelectFolderName = request.initialFolder;
    picker.RootFolder = request.root.empty() ? rfDesktop : rfManual;
    picker.RootFolderName = request.root;
    picker.Options = {};
    if (request.fileSystemOnly) picker.Options.Include(sboReturnOnlyFSDirs);
    if (request.showPath) picker.Options.Include(sboStatusTextAndShowPath);
    if (!picker.Execute()) return std::nullopt;
    return TFolderChoice{picker.FolderPath(), picker.DisplayName()};
}

std::vector<std::wstring> TShellFileDialogs::RunOpen(const TOpenFileRequest& request) {
    std::wstring filter;
    std::wstring buffer = Preset(request.fileName, kOpenBufferChars);
    OPENFILENAMEW ofn = CommonRequest(request.title, request.filter, request.filterIndex, request.initialDir, filter, buffer);
    ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (request.multiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (!GetOpenFileNameW(&ofn)) {
        CheckDialogError();
        return {};
    }
    if (!request.multiSelect) return {buffer.substr(0, buffer.find(L'\0'))};
    return SplitOpenSelection(buffer);
}

std::optional<std::wstring> TShellFileDialogs::RunSave(const TSaveFileRequest& request) {
    std::wstring filter;
    std::wstring buffer = Preset(request.fileName, kSaveBufferChars);
    OPENFILENAMEW ofn = CommonRequest(request.title, request.filter, request.filterIndex, request.initialDir, filter, buffer);
    std::wstring defaultExt = request.defaultExt;
    if (!defaultExt.empty() && defaultExt[0] == L'.') defaultExt.erase(0, 1);
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    ofn.Flags |= OFN_PATHMUSTEXIST;
    if (request.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&ofn)) {
        CheckDialogError();
        return std::nullopt;
    }
    return buffer.substr(0, buffer.find(L'\0'));
}
