#include "shell/SHBFFEX_win.h"

#include "toolkit/Application_win.h"
#include "toolkit/Form_win.h"

namespace {

// CSIDL numbers in the order of TSelectFolder and TRootFolder; sfManual falls back to the desktop.
const int kSpecialFolders[] = {CSIDL_DESKTOP,   CSIDL_DESKTOP, CSIDL_DRIVES,  CSIDL_DESKTOPDIRECTORY,
                               CSIDL_FAVORITES, CSIDL_PROGRAMS, CSIDL_RECENT, CSIDL_SENDTO,
                               CSIDL_STARTMENU, CSIDL_STARTUP,  CSIDL_TEMPLATES};

// The main window is disabled while the dialog runs, and enabled and brought to the front again
// on every way out. A main window that was disabled already (another modal dialog of the program,
// such as the settings dialog, opened the picker) stays disabled: enabling it would let the user
// reach the main window behind that dialog.
class TMainWindowDisabled {
public:
    explicit TMainWindowDisabled(HWND window) : window_(window) {
        // EnableWindow answers whether the window was disabled before.
        if (window_) wasDisabled_ = EnableWindow(window_, FALSE) != FALSE;
    }
    ~TMainWindowDisabled() {
        if (!window_ || !IsWindow(window_)) return;
        // The shell's dialog may enable its owner as it ends, whatever the owner was before.
        EnableWindow(window_, !wasDisabled_);
        if (!wasDisabled_) BringWindowToTop(window_);
    }
    TMainWindowDisabled(const TMainWindowDisabled&) = delete;
    TMainWindowDisabled& operator=(const TMainWindowDisabled&) = delete;

private:
    HWND window_;
    bool wasDisabled_ = false;
};

bool IsFolderOrHasSubFolders(LPCITEMIDLIST absolute) {
    TComPtr<IShellFolder> parent;
    LPCITEMIDLIST child = nullptr;
    if (FAILED(SHBindToParent(absolute, IID_IShellFolder, parent.PutVoid(), &child))) return false;
    return AttributesOf(parent.get(), child, SFGAO_FOLDER | SFGAO_HASSUBFOLDER) != 0;
}

}  // namespace

int SpecialFolderOf(TSelectFolder folder) { return kSpecialFolders[folder]; }
int SpecialFolderOf(TRootFolder folder) { return kSpecialFolders[folder]; }

// The flags are or-ed, so that the two status-text options together still mean BIF_STATUSTEXT.
UINT BrowseFlags(TSHBrowseOptions options) {
    UINT flags = 0;
    if (options.Contains(sboDontGoBelowDomain)) flags |= BIF_DONTGOBELOWDOMAIN;
    if (options.Contains(sboReturnFSAncestors)) flags |= BIF_RETURNFSANCESTORS;
    if (options.Contains(sboReturnOnlyFSDirs)) flags |= BIF_RETURNONLYFSDIRS;
    if (options.Contains(sboStatusTextAndShowPath) || options.Contains(sboStatusText)) flags |= BIF_STATUSTEXT;
    return flags;
}

std::optional<POINT> BrowseDialogPosition(TShowStyle style, const RECT& workArea, SIZE dialog,
                                          std::optional<POINT> ownerClientOrigin) {
    switch (style) {
    case ssCenterScreen:
        return POINT{workArea.left + (workArea.right - workArea.left - dialog.cx) / 2,
                     workArea.top + (workArea.bottom - workArea.top - dialog.cy) / 3};
    case ssClient: return ownerClientOrigin;
    case ssNone: break;
    }
    return std::nullopt;
}

TItemIdList BrowseFolderId(int specialFolder, bool manual, const std::wstring& name) {
    if (manual && !name.empty()) {
        TItemIdList parsed = TItemIdList::FromPath(name);
        if (parsed && IsFolderOrHasSubFolders(parsed.get())) return parsed;
    }
    return TItemIdList::SpecialFolder(specialFolder);
}

bool TSHBrowseForFolderEx::Execute() {
    folderPath_.clear();
    displayName_.clear();
    initial_ = BrowseFolderId(SpecialFolderOf(SelectFolder), SelectFolder == sfManual, SelectFolderName);
    const TItemIdList root = BrowseFolderId(SpecialFolderOf(RootFolder), RootFolder == rfManual, RootFolderName);
    if (!root) {
        initial_.reset();
        return false;
    }
    TForm* mainForm = Application().MainForm();
    const HWND mainWindow = mainForm ? mainForm->Handle() : nullptr;
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = mainWindow;
    info.pidlRoot = root.get();
    info.pszDisplayName = displayName;
    info.lpszTitle = Caption.c_str();
    info.ulFlags = BrowseFlags(Options);
    info.lpfn = Callback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    TItemIdList chosen;
    {
        TMainWindowDisabled disabled(mainWindow);
        chosen.reset(SHBrowseForFolderW(&info));
    }
    initial_.reset();
    if (!chosen) return false;
    displayName_ = displayName;
    folderPath_ = PathOfIdList(chosen.get());
    return true;
}

// Called by the shell inside its dialog: nothing may unwind through it.
int CALLBACK TSHBrowseForFolderEx::Callback(HWND dialog, UINT msg, LPARAM lp, LPARAM data) {
    auto* self = reinterpret_cast<TSHBrowseForFolderEx*>(data);
    try {
        if (msg == BFFM_INITIALIZED) self->Initialized(dialog);
        else if (msg == BFFM_SELCHANGED) self->SelectionChanged(dialog, reinterpret_cast<LPCITEMIDLIST>(lp));
    } catch (...) {
        Application().HandleException();
    }
    return 0;
}

// Selecting the initial folder makes the shell report a selection change, which sets the status
// line and the OK button for it; they are not cleared again here.
void TSHBrowseForFolderEx::Initialized(HWND dialog) {
    if (initial_) SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(initial_.get()));
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT bounds{};
    GetWindowRect(dialog, &bounds);
    std::optional<POINT> ownerOrigin;
    if (owner_ && owner_->Handle()) {
        POINT origin{0, 0};
        ClientToScreen(owner_->Handle(), &origin);
        ownerOrigin = origin;
    }
    const auto at = BrowseDialogPosition(ShowStyle, workArea, {bounds.right - bounds.left, bounds.bottom - bounds.top},
                                         ownerOrigin);
    if (at) SetWindowPos(dialog, nullptr, at->x, at->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSHBrowseForFolderEx::SelectionChanged(HWND dialog, LPCITEMIDLIST selection) {
    const std::wstring path = PathOfIdList(selection);
    std::wstring showText;
    TOKButtonState okState = obsUnchanged;
    if (OnSelectionChanged) OnSelectionChanged(*this, dialog, path, showText, okState);
    if (Options.Contains(sboStatusTextAndShowPath)) showText = path;
    SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(showText.c_str()));
    // Posted: some shells check the selection themselves right after this callback and set the OK
    // button from that; the handler's choice has to come after theirs.
    if (okState != obsUnchanged) PostMessageW(dialog, BFFM_ENABLEOK, 0, okState == obsEnable);
}
