#include "forms/PluginInfo_win.h"

#include "forms/PluginTexts.h"
#include "plugins/SPIs.h"
#include "resources/ResourceIds.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/Prompt.h"

namespace {

constexpr int kClientWidth = 386;
constexpr int kClientHeight = 238;
constexpr int kLabelLeft = 16;
constexpr int kFieldLeft = 104;
constexpr int kFieldWidth = 257;
constexpr int kFieldHeight = 16;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = kClientHeight - 12 - kButtonHeight;

RECT Field(int top, int width = kFieldWidth, int height = kFieldHeight) {
    return RECT{kFieldLeft, top, kFieldLeft + width, top + height};
}
RECT LabelAt(int top) { return RECT{kLabelLeft, top, kFieldLeft - 8, top + kFieldHeight}; }

}  // namespace

TPluginInfoDlg::TPluginInfoDlg(HWND owner) {
    Create(L"TPluginInfoDlg", L"", kClientWidth, kClientHeight, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
           owner);
    SetFontFace(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
    SetDialogKeys(true);

    // The fields only show: no border, read-only, in the menu colour.
    const DWORD readOnly = ES_READONLY | ES_AUTOHSCROLL;
    fileNameLabel_.Create(Handle(), IDC_PLUGININFO_NAME_LABEL, L"ファイル名", LabelAt(16));
    fileNameEdit_.Create(Handle(), IDC_PLUGININFO_NAME, Field(16), readOnly, 0);
    filePathEdit_.Create(Handle(), IDC_PLUGININFO_PATH, Field(36), readOnly, 0);
    versionLabel_.Create(Handle(), IDC_PLUGININFO_VERSION_LABEL, L"バージョン", LabelAt(62));
    versionEdit_.Create(Handle(), IDC_PLUGININFO_VERSION, Field(62), readOnly, 0);
    infoLabel_.Create(Handle(), IDC_PLUGININFO_INFO_LABEL, L"情報", LabelAt(88));
    infoMemo_.Create(Handle(), IDC_PLUGININFO_INFO, Field(88, 249, 41), ES_READONLY | ES_MULTILINE | ES_AUTOVSCROLL, 0);
    fileTypeLabel_.Create(Handle(), IDC_PLUGININFO_TYPE_LABEL, L"対応ファイル", LabelAt(144));
    // The height is the dropped-down list's.
    fileTypeBox_.Create(Handle(), IDC_PLUGININFO_TYPE, Field(140, kFieldWidth, 200), CBS_DROPDOWNLIST);
    fileExtLabel_.Create(Handle(), IDC_PLUGININFO_EXT_LABEL, L"対応拡張子", LabelAt(172));
    fileExtEdit_.Create(Handle(), IDC_PLUGININFO_EXT, Field(172), readOnly, 0);
    for (TEdit* e : {&fileNameEdit_, &filePathEdit_, &versionEdit_, &infoMemo_, &fileExtEdit_})
        e->SetColor(GetSysColor(COLOR_MENU));

    const int okLeft = kClientWidth - 16 - kButtonWidth;
    const int checkLeft = okLeft - 8 - kButtonWidth;
    checkBtn_.Create(Handle(), IDC_PLUGININFO_CHECK, L"対応確認",
                     RECT{checkLeft, kButtonTop, checkLeft + kButtonWidth, kButtonTop + kButtonHeight});
    okBtn_.Create(Handle(), IDC_PLUGININFO_OK, L"OK", RECT{okLeft, kButtonTop, okLeft + kButtonWidth, kButtonTop + kButtonHeight},
                  BS_DEFPUSHBUTTON);

    Hints().Add(fileNameEdit_, L"プラグインファイル名です。|");
    Hints().Add(filePathEdit_, L"プラグインファイルのパス情報です。|");
    Hints().Add(versionEdit_, L"バージョン情報です。現在のところ２タイプがあり\r'00IN'が画像ロード用\r"
                              L"'00AM'がアーカイブ展開用のプラグインです。");
    Hints().Add(infoMemo_, L"プラグインの名前とバージョンなどの情報です。|");
    Hints().Add(fileTypeBox_, L"対応ファイル形式名です。|");
    Hints().Add(fileExtEdit_, L"「対応ファイル」に表示されているファイルタイプの\r対応拡張子です。|");

    fileTypeBox_.OnChange = [this] { FileTypeBoxChange(); };
    okBtn_.OnClick = [this] { SetModalResult(mrOK); };
    checkBtn_.OnClick = [this] { CheckBtnClick(); };
}

void TPluginInfoDlg::ShowPlugin(TSPI* spi) {
    if (!spi) return;
    LoadPlugin(*spi);
    ShowModal();
}

void TPluginInfoDlg::LoadPlugin(TSPI& spi) {
    spi_ = &spi;
    SetText(PluginInfoCaption(spi.FileName()));
    filePathEdit_.SetText(L"(" + spi.FileName() + L")");
    fileNameEdit_.SetText(PluginFileTitle(spi.FileName()));
    versionEdit_.SetText(spi.Version());
    infoMemo_.SetText(spi.Info());
    fileTypeBox_.Clear();
    for (const std::wstring& type : spi.FileTypes()) fileTypeBox_.Add(type);
    // A plug-in that declares no formats leaves both fields empty.
    fileTypeBox_.SetItemIndex(spi.FileTypes().empty() ? -1 : 0);
    FileTypeBoxChange();
}

void TPluginInfoDlg::FileTypeBoxChange() {
    const int index = fileTypeBox_.ItemIndex();
    const bool known = spi_ && index >= 0 && static_cast<size_t>(index) < spi_->Extensions().size();
    fileExtEdit_.SetText(known ? spi_->Extensions()[static_cast<size_t>(index)] : std::wstring());
}

void TPluginInfoDlg::CheckBtnClick() {
    if (!spi_) return;
    TOpenFileRequest request;
    request.filter = PluginCheckFilter(spi_->Extensions(), spi_->FileTypes());
    const std::vector<std::wstring> chosen = CurrentFileDialogs().ChooseFilesToOpen(request);
    if (chosen.empty()) return;
    const std::wstring& file = chosen.front();
    // The plug-in is asked with the file's head, as the host always asks: never with a handle.
    std::vector<uint8_t> head;
    try {
        head = ReadFileHead(file);
    } catch (const EStreamError& e) {
        CurrentPrompt().Ask(TPromptKind::pkError, PluginCheckReadError(file, e.Message()), TPromptButtons::pbOK);
        return;
    }
    const bool supported = SPIIsSupported(*spi_, file, head);
    CurrentPrompt().Ask(TPromptKind::pkInformation, PluginCheckMessage(file, spi_->FileName(), supported),
                        TPromptButtons::pbOK);
}

bool TPluginInfoDlg::OnCommand(int id, int, HWND) {
    // Escape closes the dialog as its system menu does.
    if (id == IDCANCEL) {
        Close();
        return true;
    }
    return false;
}
