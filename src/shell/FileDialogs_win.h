#pragma once
// The system's dialogs behind the file-dialog seam: the folder picker (TSHBrowseForFolderEx,
// placed on the active form's client area) and the common open and save dialogs.
#include "toolkit/FileDialogs.h"

class TShellFileDialogs : public TFileDialogs {
protected:
    std::optional<TFolderChoice> RunFolder(const TFolderRequest& request) override;
    std::vector<std::wstring> RunOpen(const TOpenFileRequest& request) override;
    std::optional<std::wstring> RunSave(const TSaveFileRequest& request) override;
};

// The one instance the program installs at start-up.
TShellFileDialogs& ShellFileDialogs();
