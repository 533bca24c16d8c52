#pragma once
// The shell's folder-browsing dialog with a chosen root, a chosen initial folder, a placement rule
// and a selection-change event.
#include <windows.h>

#include <shlobj.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

#include "shell/ItemIdList_win.h"

class TForm;

// The initially selected folder, and (with the rf prefix) the top of the tree. sfManual takes the
// named path, and the desktop when the name cannot be used.
enum TSelectFolder {
    sfDesktop, sfManual, sfDrives, sfDesktopDir, sfFavorites, sfPrograms, sfRecent, sfSendTo, sfStartMenu, sfStartup,
    sfTemplates
};
enum TRootFolder {
    rfDesktop, rfManual, rfDrives, rfDesktopDir, rfFavorites, rfPrograms, rfRecent, rfSendTo, rfStartMenu, rfStartup,
    rfTemplates
};
// The special folder each value stands for (CSIDL_ numbers).
int SpecialFolderOf(TSelectFolder folder);
int SpecialFolderOf(TRootFolder folder);

enum TSHBrowseOption { sboDontGoBelowDomain, sboReturnFSAncestors, sboReturnOnlyFSDirs, sboStatusTextAndShowPath, sboStatusText };

class TSHBrowseOptions {
public:
    TSHBrowseOptions() = default;
    TSHBrowseOptions(std::initializer_list<TSHBrowseOption> options) {
        for (auto o : options) Include(o);
    }
    void Include(TSHBrowseOption option) { bits_ |= 1u << option; }
    bool Contains(TSHBrowseOption option) const { return (bits_ & (1u << option)) != 0; }

private:
    unsigned bits_ = 0;
};
// The BIF_ flags of a set of options.
UINT BrowseFlags(TSHBrowseOptions options);

enum TShowStyle { ssNone, ssCenterScreen, ssClient };
enum TOKButtonState { obsUnchanged = 0, obsEnable = 1, obsDisable = 2 };

// Where the dialog's top-left corner goes; nothing for the system's placement. ssCenterScreen
// centres across the work area and puts a third of the free height above; ssClient takes the
// owner form's client origin (given in screen coordinates, nothing without an owner window).
std::optional<POINT> BrowseDialogPosition(TShowStyle style, const RECT& workArea, SIZE dialog,
                                          std::optional<POINT> ownerClientOrigin);

// The id of the folder that SelectFolder or RootFolder names: for manual the parsed name when it is
// a folder or has sub-folders, otherwise (and for the others) the special folder.
TItemIdList BrowseFolderId(int specialFolder, bool manual, const std::wstring& name);

class TSHBrowseForFolderEx {
public:
    // owner: the form the dialog is placed on with ssClient; may be none.
    explicit TSHBrowseForFolderEx(TForm* owner = nullptr) : owner_(owner) {}
    TSHBrowseForFolderEx(const TSHBrowseForFolderEx&) = delete;
    TSHBrowseForFolderEx& operator=(const TSHBrowseForFolderEx&) = delete;

    TSelectFolder SelectFolder = sfDrives;
    std::wstring SelectFolderName;  // used with sfManual
    std::wstring Caption;           // shown above the tree
    TSHBrowseOptions Options{sboReturnOnlyFSDirs};
    TRootFolder RootFolder = rfDesktop;
    std::wstring RootFolderName;  // used with rfManual
    TShowStyle ShowStyle = ssClient;
    // Sender, dialog window, path of the new selection (empty if none), status text to show, OK
    // button state.
    std::function<void(TSHBrowseForFolderEx&, HWND, const std::wstring&, std::wstring&, TOKButtonState&)>
        OnSelectionChanged;

    // Runs the dialog, owned by the application's main window, which is disabled meanwhile; true
    // when the user chose a folder.
    bool Execute();
    const std::wstring& FolderPath() const { return folderPath_; }  // empty for a virtual folder
    const std::wstring& DisplayName() const { return displayName_; }

private:
    static int CALLBACK Callback(HWND dialog, UINT msg, LPARAM lp, LPARAM data);
    void Initialized(HWND dialog);
    void SelectionChanged(HWND dialog, LPCITEMIDLIST selection);

    TForm* owner_;
    TItemIdList initial_;  // while the dialog runs
    std::wstring folderPath_;
    std::wstring displayName_;
};
