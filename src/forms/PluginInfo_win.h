#pragma once
// The plug-in information dialog: what one plug-in says about itself (file, version, info text,
// formats with their patterns), and "対応確認", which asks the plug-in whether a file the user
// picks is one it reads. Made by its caller for one use, shown modally.
#include "toolkit/Controls_win.h"
#include "toolkit/Form_win.h"

class TSPI;

class TPluginInfoDlg : public TForm {
public:
    explicit TPluginInfoDlg(HWND owner = nullptr);

    // Fills the fields from the plug-in and shows the dialog modally; does nothing for none.
    void ShowPlugin(TSPI* spi);
    // Fills the fields without showing the dialog (ShowPlugin's first half).
    void LoadPlugin(TSPI& spi);

    TEdit& FileNameEdit() { return fileNameEdit_; }
    TEdit& FilePathEdit() { return filePathEdit_; }
    TEdit& VersionEdit() { return versionEdit_; }
    TEdit& InfoMemo() { return infoMemo_; }
    TComboBox& FileTypeBox() { return fileTypeBox_; }
    TEdit& FileExtEdit() { return fileExtEdit_; }
    TButton& OKBtn() { return okBtn_; }
    TButton& CheckBtn() { return checkBtn_; }

protected:
    bool OnCommand(int id, int code, HWND control) override;

private:
    void FileTypeBoxChange();
    void CheckBtnClick();

    TSPI* spi_ = nullptr;
    TLabel fileNameLabel_, versionLabel_, infoLabel_, fileTypeLabel_, fileExtLabel_;
    TEdit fileNameEdit_, filePathEdit_, versionEdit_, infoMemo_, fileExtEdit_;
    TComboBox fileTypeBox_;
    TButton okBtn_, checkBtn_;
};
