#pragma once
// The settings dialog: the loaded plug-ins, each with its own configuration dialog and the plug-in
// information dialog, and the save folder that the main window's "指定フォルダに保存" commands
// write into. Made by its caller for one use.
#include <string>

#include "toolkit/Controls_win.h"
#include "toolkit/Form_win.h"

class TSPI;
class TSPIs;

class TSetUpDialog : public TForm {
public:
    explicit TSetUpDialog(HWND owner = nullptr);

    // Lists the plug-ins, shows the save folder (checking it first) and runs the dialog modally.
    // saveFolder takes the edited folder after "OK" only; true then. Nothing happens without a set.
    bool ExecuteSetUp(TSPIs* spis, std::wstring& saveFolder);
    // 111 after "OK", 0 otherwise.
    int Tag() const { return tag_; }

    TPageControl& Pages() { return pages_; }
    TListView& PluginInfoList() { return pluginInfoList_; }
    TButton& PluginInfoBtn() { return pluginInfoBtn_; }
    TButton& PluginSetupBtn() { return pluginSetupBtn_; }
    TButton& SaveFolderChangeBtn() { return saveFolderChangeBtn_; }
    TEdit& SaveFolderEdit() { return saveFolderEdit_; }
    TButton& OKBtn() { return okBtn_; }
    TButton& CancelBtn() { return cancelBtn_; }

protected:
    bool OnCommand(int id, int code, HWND control) override;

private:
    void FillPluginList();
    TSPI* SelectedPlugin() const;
    void PluginInfoListChange();
    void PluginSetupBtnClick();
    void PluginInfoBtnClick();
    void SaveFolderChangeBtnClick();
    void SaveFolderEditChange();

    TSPIs* spis_ = nullptr;
    int tag_ = 0;
    bool checkingFolder_ = false;
    TPageControl pages_;
    TListView pluginInfoList_;
    TButton pluginInfoBtn_, pluginSetupBtn_;
    TLabel saveFolderLabel_, note1_, note2_;
    TButton saveFolderChangeBtn_;
    TEdit saveFolderEdit_;
    TButton okBtn_, cancelBtn_;
};
