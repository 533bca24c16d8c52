#pragma once
// The folder picker and the open and save file dialogs, reached through one interface so that
// tests script the user's choice instead of waiting in a modal shell dialog. The program installs
// the system's dialogs at start-up (TShellFileDialogs in shell/FileDialogs_win.h); tests install a
// TScriptedFileDialogs and read back what was asked.
//
// Filters are written as pairs "description|pattern|description|pattern".
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/InstallScope.h"

// Where the folder picker's tree starts and what it shows.
struct TFolderRequest {
    std::wstring caption;        // the text above the tree
    std::wstring initialFolder;  // selected at the start; the desktop when it is not a folder
    std::wstring root;           // the top of the tree; empty: the desktop
    bool fileSystemOnly = true;  // only folders with a file-system path can be chosen
    bool showPath = false;       // the status line shows the selected folder's path
};

struct TFolderChoice {
    std::wstring path;         // empty for a folder without a file-system path
    std::wstring displayName;  // the chosen item's display name
};

struct TOpenFileRequest {
    std::wstring title;  // empty: the system's caption
    std::wstring filter;
    int filterIndex = 1;  // 1-based, as the system counts
    std::wstring initialDir;
    std::wstring fileName;
    bool multiSelect = false;
};

struct TSaveFileRequest {
    std::wstring title;
    std::wstring filter;
    int filterIndex = 1;
    std::wstring initialDir;
    std::wstring fileName;         // preset in the name box
    std::wstring defaultExt;       // added (without its dot) when the user types none
    std::wstring forcedExtension;  // ".BMP": the chosen name gets this extension whatever was typed
    bool overwritePrompt = true;
};

class TFileDialogs {
public:
    virtual ~TFileDialogs() = default;
    // Each answers nothing (or no file) when the user cancelled.
    std::optional<TFolderChoice> ChooseFolder(const TFolderRequest& request) { return RunFolder(request); }
    std::vector<std::wstring> ChooseFilesToOpen(const TOpenFileRequest& request) { return RunOpen(request); }
    std::optional<std::wstring> ChooseFileToSave(const TSaveFileRequest& request);

protected:
    virtual std::optional<TFolderChoice> RunFolder(const TFolderRequest& request) = 0;
    // Full names, in the order the dialog reports them.
    virtual std::vector<std::wstring> RunOpen(const TOpenFileRequest& request) = 0;
    virtual std::optional<std::wstring> RunSave(const TSaveFileRequest& request) = 0;
};

// The dialogs in use. Raises Exception when none are installed.
TFileDialogs& CurrentFileDialogs();
// Installs a set (null removes it) and returns the one it replaces.
TFileDialogs* SetCurrentFileDialogs(TFileDialogs* dialogs);

// Installs a set for the lifetime of a scope.
using TFileDialogsScope = TInstallScope<TFileDialogs, SetCurrentFileDialogs>;

// Answers from scripts, one per kind of dialog, in order, and records every request. A script
// that has run out answers as if the user cancelled.
class TScriptedFileDialogs : public TFileDialogs {
public:
    void PushFolder(std::optional<TFolderChoice> answer) { folders_.push_back(std::move(answer)); }
    void PushOpen(std::vector<std::wstring> answer) { opens_.push_back(std::move(answer)); }
    void PushSave(std::optional<std::wstring> answer) { saves_.push_back(std::move(answer)); }

    const std::vector<TFolderRequest>& FolderRequests() const { return folderRequests_; }
    const std::vector<TOpenFileRequest>& OpenRequests() const { return openRequests_; }
    const std::vector<TSaveFileRequest>& SaveRequests() const { return saveRequests_; }

protected:
    std::optional<TFolderChoice> RunFolder(const TFolderRequest& request) override;
    std::vector<std::wstring> RunOpen(const TOpenFileRequest& request) override;
    std::optional<std::wstring> RunSave(const TSaveFileRequest& request) override;

private:
    std::deque<std::optional<TFolderChoice>> folders_;
    std::deque<std::vector<std::wstring>> opens_;
    std::deque<std::optional<std::wstring>> saves_;
    std::vector<TFolderRequest> folderRequests_;
    std::vector<TOpenFileRequest> openRequests_;
    std::vector<TSaveFileRequest> saveRequests_;
};

// --- Helpers of the system dialogs (portable) --------------------------------------------------

// "a|b|c|d" as the system wants it: each part ended by a null, the whole by one more.
std::wstring SystemFilterText(const std::wstring& filter);
// The names a multiple-selection open dialog wrote into its buffer: either one full name, or the
// folder followed by the names in it, each ended by a null and the list by one more.
std::vector<std::wstring> SplitOpenSelection(const std::wstring& buffer);
// The path with its file name's extension replaced by extension (".BMP"), or extension appended
// when the name has none.
std::wstring ForceExtension(const std::wstring& path, const std::wstring& extension);
