#pragma once
// The file operation dialog: the user picks a destination folder (from the recent ones or the
// folder picker), BMP conversion, numbered renaming and what to do when a conversion fails, then
// overwrites, moves or copies the selected picture files, or copies the selected members out of
// an archive. The batch engine runs while the dialog is open and reports into its status panel
// and progress bar.
//
// The recent folders and the choices live in the program's INI file: read when the dialog is
// made, written when it is destroyed, so that a cancelled dialog keeps them too.
#include <string>

#include "forms/BatchEngine_win.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Form_win.h"
#include "toolkit/Panels_win.h"

class TInSPI;
class TAmSPI;

class TFileOperationDialog : public TForm {
public:
    // iniPath: the settings file; empty for the program's own.
    explicit TFileOperationDialog(HWND owner = nullptr, std::wstring iniPath = {});
    ~TFileOperationDialog() override;

    // Takes the sources: in folder mode the selected rows' texts, in archive mode their member
    // records. Raises Exception when there is no selection, nothing is selected, or (archive
    // mode) the archive is missing; sets the caption from the number of sources.
    void Prepare(const TBatchSelection* selection, bool archive, TInSPI* picturePlugin, TAmSPI* archivePlugin,
                 const std::wstring& archivePath);
    // Shows the dialog modally; false only when "キャンセル" ended it.
    bool Execute(const std::wstring& startFolder, bool renameOn);

    TComboBox& FolderBox() { return folderBox_; }
    TEdit& RenameEdit() { return renameEdit_; }
    TRadioGroup& FormatTypeGroup() { return formatTypeGroup_; }
    TRadioGroup& RenameGroup() { return renameGroup_; }
    TCheckBox& SaveOriginalCheckBox() { return saveOriginalCheckBox_; }
    TButton& OverBtn() { return overBtn_; }
    TButton& MoveBtn() { return moveBtn_; }
    TButton& CopyBtn() { return copyBtn_; }
    TButton& CancelBtn() { return cancelBtn_; }
    TButton& RefferToBtn() { return refferToBtn_; }
    TButton& RenameHelpBtn() { return renameHelpBtn_; }
    TPanel& StatusPanel() { return statusPanel_; }
    TProgressBar& ProgressBar() { return progressBar_; }
    bool Cancelled() const { return cancelled_; }

protected:
    bool OnCommand(int id, int code, HWND control) override;

private:
    void ReadSettings();
    void WriteSettings();
    void ApplyEnabling();
    void RememberTypedFolder();
    void Run(TBatchKind kind);
    void CancelClick();
    void RefferToClick();
    void RenameHelpClick();

    std::wstring iniPath_;
    TBatchSelection selection_;
    bool archive_ = false;
    std::wstring archivePath_;
    TInSPI* picturePlugin_ = nullptr;
    TAmSPI* archivePlugin_ = nullptr;
    bool cancelled_ = false;

    TLabel folderLabel_, renameLabel_;
    TButton refferToBtn_, renameHelpBtn_;
    TComboBox folderBox_;
    TEdit renameEdit_;
    TRadioGroup formatTypeGroup_, renameGroup_;
    TCheckBox saveOriginalCheckBox_;
    TButton overBtn_, moveBtn_, copyBtn_, cancelBtn_;
    TPanel statusPanel_;
    TProgressBar progressBar_;
};
