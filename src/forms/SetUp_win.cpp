#include "forms/SetUp_win.h"

#include "app/FileUtil.h"
#include "forms/PluginInfo_win.h"
#include "forms/PluginTexts.h"
#include "plugins/SPIs.h"
#include "resources/ResourceIds.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/Finally.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

constexpr int kClientWidth = 513;
constexpr int kClientHeight = 379;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kMargin = 16;  // inside a page

RECT ButtonAt(int left, int top) { return RECT{left, top, left + kButtonWidth, top + kButtonHeight}; }

}  // namespace

TSetUpDialog::TSetUpDialog(HWND owner) {
    Create(L"TSetUpDialog", L"設定", kClientWidth, kClientHeight, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
           owner);
    SetFontFace(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
    SetDialogKeys(true);

    pages_.Create(Handle(), IDC_SETUP_PAGES, RECT{8, 16, 8 + 489, 16 + 313});
    const HWND plugins = pages_.AddPage(L"Susie-Plugin").Handle();
    const HWND folder = pages_.AddPage(L"保存先フォルダ").Handle();

    pluginInfoList_.Create(plugins, IDC_SETUP_PLUGIN_LIST, RECT{kMargin, 12, kMargin + 441, 12 + 233},
                           LVS_REPORT | LVS_SHOWSELALWAYS);
    for (const TPluginColumn& c : kPluginColumns) pluginInfoList_.AddColumn(c.caption, c.width);
    pluginInfoBtn_.Create(plugins, IDC_SETUP_PLUGIN_INFO, L"情報", ButtonAt(kMargin, 253));
    pluginSetupBtn_.Create(plugins, IDC_SETUP_PLUGIN_SETUP, L"設定", ButtonAt(kMargin + kButtonWidth + 8, 253));
    pluginInfoBtn_.SetEnabled(false);
    pluginSetupBtn_.SetEnabled(false);

    saveFolderLabel_.Create(folder, IDC_SETUP_FOLDER_LABEL, L"保存先フォルダ", RECT{kMargin, 22, kMargin + 100, 38});
    saveFolderChangeBtn_.Create(folder, IDC_SETUP_FOLDER_CHANGE, L"変更", ButtonAt(kMargin + 110, 16));
    saveFolderEdit_.Create(folder, IDC_SETUP_FOLDER_EDIT, RECT{kMargin, 48, kMargin + 409, 48 + 21},
                           ES_READONLY | ES_AUTOHSCROLL);
    saveFolderEdit_.SetColor(GetSysColor(COLOR_MENU));
    note1_.Create(folder, IDC_SETUP_NOTE1, L"注：このフォルダは「指定フォルダに保存」、「Bitmapを指定フォルダに保存」",
                  RECT{kMargin, 84, kMargin + 440, 100});
    note2_.Create(folder, IDC_SETUP_NOTE2, L"を実行したときのみ参照されます。", RECT{kMargin, 102, kMargin + 440, 118});

    const int cancelLeft = kClientWidth - 16 - kButtonWidth;
    const int buttonTop = 16 + 313 + 16;
    okBtn_.Create(Handle(), IDC_SETUP_OK, L"OK", ButtonAt(cancelLeft - 8 - kButtonWidth, buttonTop), BS_DEFPUSHBUTTON);
    cancelBtn_.Create(Handle(), IDC_SETUP_CANCEL, L"Cancel", ButtonAt(cancelLeft, buttonTop));

    pluginInfoList_.OnChange = [this] { PluginInfoListChange(); };
    pluginInfoBtn_.OnClick = [this] { PluginInfoBtnClick(); };
    pluginSetupBtn_.OnClick = [this] { PluginSetupBtnClick(); };
    saveFolderChangeBtn_.OnClick = [this] { SaveFolderChangeBtnClick(); };
    saveFolderEdit_.OnChange = [this] { SaveFolderEditChange(); };
    okBtn_.OnClick = [this] {
        tag_ = kSetUpOK;
        SetModalResult(mrOK);
    };
    cancelBtn_.OnClick = [this] {
        tag_ = 0;
        SetModalResult(mrCancel);
    };
}

bool TSetUpDialog::ExecuteSetUp(TSPIs* spis, std::wstring& saveFolder) {
    if (!spis) return false;
    spis_ = spis;
    tag_ = 0;
    FillPluginList();
    saveFolderEdit_.SetText(saveFolder);
    // The edit reports the change itself; checking once more costs nothing when it did, and covers
    // a text equal to the one the edit held.
    SaveFolderEditChange();
    ShowModal();
    if (tag_ != kSetUpOK) return false;
    saveFolder = saveFolderEdit_.Text();
    return true;
}

void TSetUpDialog::FillPluginList() {
    pluginInfoList_.BeginUpdate();
    pluginInfoList_.Clear();
    for (int i = 0; i < spis_->Count(); ++i) {
        TSPI& spi = spis_->Items(i);
        const std::vector<std::wstring> cells = PluginRowCells(
            {spi.FileName(), spi.Version(), spi.Info(), spi.Extensions(), spi.HasConfigurationDlg()});
        const int row = pluginInfoList_.AddItem(cells[0], -1, reinterpret_cast<LPARAM>(&spi));
        for (size_t column = 1; column < cells.size(); ++column)
            pluginInfoList_.SetSubItem(row, static_cast<int>(column), cells[column]);
    }
    pluginInfoList_.EndUpdate();
    PluginInfoListChange();
}

TSPI* TSetUpDialog::SelectedPlugin() const {
    const int row = SelectedPluginRow(pluginInfoList_.SelectedIndex(), pluginInfoList_.Count());
    return row < 0 ? nullptr : reinterpret_cast<TSPI*>(pluginInfoList_.ItemData(row));
}

void TSetUpDialog::PluginInfoListChange() {
    const std::vector<int> selected = pluginInfoList_.SelectedIndexes();
    const TPluginButtons b = PluginButtonStates(static_cast<int>(selected.size()),
                                                selected.empty() ? std::wstring() : pluginInfoList_.ItemText(selected[0]));
    pluginInfoBtn_.SetEnabled(b.info);
    pluginSetupBtn_.SetEnabled(b.setup);
}

void TSetUpDialog::PluginSetupBtnClick() {
    TSPI* spi = SelectedPlugin();
    if (!spi || !spi->HasConfigurationDlg()) return;
    // The plug-in's own dialog is foreign code, called through the host's guards. What it answers
    // is its own business (many answer -1 for a dialog they do not have) and is not an error of
    // this program; only the host refusing the call is told, and the settings dialog goes on.
    try {
        spi->ConfigurationDlg(Handle(), 1);
    } catch (const Exception& e) {
        CurrentPrompt().Ask(TPromptKind::pkError, e.Message(), TPromptButtons::pbOK);
    }
}

void TSetUpDialog::PluginInfoBtnClick() {
    TSPI* spi = SelectedPlugin();
    if (!spi) return;
    TPluginInfoDlg dialog(Handle());
    dialog.ShowPlugin(spi);
}

void TSetUpDialog::SaveFolderChangeBtnClick() {
    TFolderRequest request;
    request.caption = L"保存先フォルダの選択";
    request.initialFolder = saveFolderEdit_.Text();
    const std::optional<TFolderChoice> choice = CurrentFileDialogs().ChooseFolder(request);
    if (choice && !choice->path.empty()) saveFolderEdit_.SetText(choice->path);
}

void TSetUpDialog::SaveFolderEditChange() {
    // Setting the program's folder changes the edit again; that change needs no check.
    if (checkingFolder_) return;
    const std::wstring folder = saveFolderEdit_.Text();
    if (IsExistingFolder(folder)) return;
    checkingFolder_ = true;
    const TFinally done([this] { checkingFolder_ = false; });
    CurrentPrompt().Ask(TPromptKind::pkError, MissingSaveFolderMessage(folder, ProgramFolder()), TPromptButtons::pbOK);
    saveFolderEdit_.SetText(ProgramFolder());
}

bool TSetUpDialog::OnCommand(int id, int, HWND) {
    // Escape closes the dialog as "Cancel" does.
    if (id == IDCANCEL) {
        tag_ = 0;
        SetModalResult(mrCancel);
        return true;
    }
    return false;
}
