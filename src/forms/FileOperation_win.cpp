#include "forms/FileOperation_win.h"

#include "app/FileUtil.h"
#include "app/SpiReg_win.h"
#include "forms/MoveCopyRules.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"
#include "toolkit/Exceptions.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/IniFile_win.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

constexpr int kClientWidth = 405;
constexpr int kClientHeight = 288;
constexpr int kMargin = 12;
constexpr int kRight = kClientWidth - kMargin;
constexpr int kSideButton = 73;  // "参照" and "HELP"
constexpr int kButtonTop = 214;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 12;
constexpr int kButtonWidth = (kRight - kMargin - 3 * kButtonGap) / 4;
constexpr int kBottomBar = 20;
constexpr int kStatusWidth = 285;

bool FolderExists(const std::wstring& path) { return IsExistingFolder(path); }

}  // namespace

TFileOperationDialog::TFileOperationDialog(HWND owner, std::wstring iniPath)
    : iniPath_(iniPath.empty() ? TSpiReg::DefaultIniPath() : std::move(iniPath)) {
    Create(L"TFileOperationDialog", MoveCopyCaption(0), kClientWidth, kClientHeight,
           WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, owner);
    SetFontFace(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
    SetDialogKeys(true);

    folderLabel_.Create(Handle(), IDC_FILEOP_FOLDER_LABEL, L"移動先フォルダ", RECT{kMargin, 14, 200, 28});
    refferToBtn_.Create(Handle(), IDC_FILEOP_REFER, L"参照", RECT{kRight - kSideButton, 8, kRight, 31});
    // The height is the dropped-down list's.
    folderBox_.Create(Handle(), IDC_FILEOP_FOLDER, RECT{kMargin, 36, kRight, 36 + 200}, CBS_DROPDOWN | CBS_AUTOHSCROLL);

    renameLabel_.Create(Handle(), IDC_FILEOP_RENAME_LABEL, L"一括リネーム定義", RECT{kMargin, 74, 200, 88});
    renameHelpBtn_.Create(Handle(), IDC_FILEOP_RENAME_HELP, L"HELP", RECT{kRight - kSideButton, 68, kRight, 91});
    renameEdit_.Create(Handle(), IDC_FILEOP_RENAME_EDIT, RECT{kMargin, 96, kRight, 118});

    const int groupSplit = kClientWidth / 2;
    formatTypeGroup_.Create(Handle(), IDC_FILEOP_FORMAT, L"フォーマットを選択", {L"Bitmapに変換", L"オリジナル形式"},
                            RECT{kMargin, 128, groupSplit - 4, 184});
    renameGroup_.Create(Handle(), IDC_FILEOP_RENAME, L"一括リネーム", {L"する", L"しない"},
                        RECT{groupSplit + 4, 128, kRight, 184});
    saveOriginalCheckBox_.Create(Handle(), IDC_FILEOP_SAVE_ORIGINAL, L"Bitmap変換失敗時にオリジナル形式で保存",
                                 RECT{kMargin + 4, 190, kRight, 208});
    // Checked, and disabled until the enabling rules know the format.
    saveOriginalCheckBox_.SetChecked(true);
    saveOriginalCheckBox_.SetEnabled(false);

    struct TCommandButton {
        TButton& button;
        int id;
        const wchar_t* caption;
    };
    const TCommandButton buttons[] = {{overBtn_, IDC_FILEOP_OVERWRITE, L"上書き"},
                                      {moveBtn_, IDC_FILEOP_MOVE, L"移動"},
                                      {copyBtn_, IDC_FILEOP_COPY, L"コピー"},
                                      {cancelBtn_, IDC_FILEOP_CANCEL, L"キャンセル"}};
    int left = kMargin;
    for (const TCommandButton& b : buttons) {
        b.button.Create(Handle(), b.id, b.caption, RECT{left, kButtonTop, left + kButtonWidth, kButtonTop + kButtonHeight});
        left += kButtonWidth + kButtonGap;
    }

    statusPanel_.Create(Handle(), IDC_FILEOP_STATUS, RECT{0, kClientHeight - kBottomBar, kStatusWidth, kClientHeight},
                        TBevel::bvLowered);
    statusPanel_.SetCaptionFormat(DT_LEFT);
    progressBar_.Create(Handle(), IDC_FILEOP_PROGRESS,
                        RECT{kStatusWidth + 2, kClientHeight - kBottomBar + 2, kClientWidth - 2, kClientHeight - 2});
    progressBar_.SetRange(0, 100);
    progressBar_.SetStep(1);

    Hints().Add(refferToBtn_, L"フォルダの参照ダイアログを開く|");
    Hints().Add(folderBox_, L"移動・コピー先のフォルダを記入\r上書きの時は無視されます|");
    Hints().Add(renameEdit_, L"HELPボタンを押して下さい。|");
    Hints().Add(overBtn_, L"元ファイルに上書きします。|");
    Hints().Add(moveBtn_, L"ファイルを移動します。\r元ファイルは削除されます。|");
    Hints().Add(copyBtn_, L"ファイルをコピーします。|");
    Hints().Add(cancelBtn_, L"操作を行わずに終了します。|");

    formatTypeGroup_.OnClick = [this] { ApplyEnabling(); };
    renameGroup_.OnClick = [this] { ApplyEnabling(); };
    overBtn_.OnClick = [this] { Run(TBatchKind::bkOverwrite); };
    moveBtn_.OnClick = [this] { Run(TBatchKind::bkMove); };
    copyBtn_.OnClick = [this] { Run(TBatchKind::bkCopy); };
    cancelBtn_.OnClick = [this] { CancelClick(); };
    refferToBtn_.OnClick = [this] { RefferToClick(); };
    renameHelpBtn_.OnClick = [this] { RenameHelpClick(); };

    ReadSettings();
}

TFileOperationDialog::~TFileOperationDialog() {
    try {
        WriteSettings();
    } catch (...) {
        // The settings file could not be written: say so, and let the dialog go all the same.
        Application().HandleException();
    }
}

void TFileOperationDialog::ReadSettings() {
    const TIniFile ini(iniPath_);
    for (size_t i = 0; i < kFolderKeys; ++i) {
        const std::wstring folder = ini.ReadString(kMoveCopySection, FolderKey(i), L"");
        if (!folder.empty() && IsExistingFolder(folder)) folderBox_.Add(folder);
    }
    renameEdit_.SetText(ini.ReadString(kMoveCopySection, kRenameTextKey, kRenameTextDefault));
    saveOriginalCheckBox_.SetChecked(ini.ReadBool(kMoveCopySection, kErrorToOriginalKey, true));
    formatTypeGroup_.SetItemIndex(ini.ReadBool(kMoveCopySection, kChangeBmpKey, true) ? kFormatBitmap : kFormatOriginal);
}

void TFileOperationDialog::WriteSettings() {
    TIniFile ini(iniPath_);
    ini.EraseSection(kMoveCopySection);
    const std::vector<std::wstring> folders = folderBox_.Items();
    for (size_t i = 0; i < folders.size(); ++i) ini.WriteString(kMoveCopySection, FolderKey(i), folders[i]);
    ini.WriteString(kMoveCopySection, kRenameTextKey, renameEdit_.Text());
    ini.WriteBool(kMoveCopySection, kErrorToOriginalKey, saveOriginalCheckBox_.Checked());
    ini.WriteBool(kMoveCopySection, kChangeBmpKey, formatTypeGroup_.ItemIndex() == kFormatBitmap);
}

void TFileOperationDialog::Prepare(const TBatchSelection* selection, bool archive, TInSPI* picturePlugin,
                                   TAmSPI* archivePlugin, const std::wstring& archivePath) {
    cancelled_ = false;
    if (!selection) throw Exception(kNoArchiveView);
    const size_t selected = archive ? selection->members.size() : selection->rows.size();
    if (selected < 1) throw Exception(kNothingSelected);
    selection_ = *selection;
    archive_ = archive;
    picturePlugin_ = picturePlugin;
    archivePlugin_ = archivePlugin;
    archivePath_ = archive ? archivePath : std::wstring();
    if (archive && !IsExistingFile(archivePath_)) throw Exception(archivePath_ + L"が存在しません。");
    SetText(MoveCopyCaption(selected));
}

bool TFileOperationDialog::Execute(const std::wstring& startFolder, bool renameOn) {
    folderBox_.SetText(StartFolderText(startFolder, folderBox_.Items(), ProgramFolder(), FolderExists));
    renameGroup_.SetItemIndex(renameOn ? kRenameOn : kRenameOff);
    ApplyEnabling();
    ShowModal();
    return !cancelled_;
}

void TFileOperationDialog::ApplyEnabling() {
    const TMoveCopyEnabling e = MoveCopyEnabling(archive_, formatTypeGroup_.ItemIndex(), renameGroup_.ItemIndex());
    overBtn_.SetEnabled(e.overwrite);
    moveBtn_.SetEnabled(e.move);
    renameEdit_.SetEnabled(e.renameEdit);
    renameEdit_.SetColor(GetSysColor(e.renameEdit ? COLOR_WINDOW : COLOR_MENU));
    saveOriginalCheckBox_.SetEnabled(e.saveOriginal);
}

void TFileOperationDialog::RememberTypedFolder() {
    TFolderHistory history{folderBox_.Items(), folderBox_.Text()};
    const std::vector<std::wstring> before = history.items;
    RememberFolder(history, history.text, FolderExists);
    if (history.items == before) return;
    folderBox_.Clear();
    for (const std::wstring& folder : history.items) folderBox_.Add(folder);
    folderBox_.SetText(history.text);
}

void TFileOperationDialog::Run(TBatchKind kind) {
    RememberTypedFolder();
    TBatchOptions options;
    options.archive = archive_;
    options.archivePath = archivePath_;
    options.confirm = true;
    options.kind = kind;
    options.errorToOriginal = saveOriginalCheckBox_.Checked();
    options.rename = renameGroup_.ItemIndex() == kRenameOn;
    options.convert = formatTypeGroup_.ItemIndex() == kFormatBitmap;
    options.renameDefinition = renameEdit_.Text();
    options.folder = folderBox_.Text();
    options.picturePlugin = picturePlugin_;
    options.archivePlugin = archivePlugin_;
    TControlBatchProgress progress(&statusPanel_, &progressBar_);
    try {
        RunBatchOperation(selection_, options, progress);
    } catch (...) {
        // The engine's message is shown; the dialog closes as after a completed operation.
        Application().HandleException();
    }
    SetModalResult(mrOK);
}

void TFileOperationDialog::CancelClick() {
    RememberTypedFolder();
    cancelled_ = true;
    SetModalResult(mrCancel);
}

void TFileOperationDialog::RefferToClick() {
    TFolderRequest request;
    request.caption = L"フォルダを選択して下さい";
    const std::wstring typed = folderBox_.Text();
    if (IsExistingFolder(typed)) request.initialFolder = typed;
    const std::optional<TFolderChoice> choice = CurrentFileDialogs().ChooseFolder(request);
    if (choice && !choice->path.empty()) folderBox_.SetText(choice->path);
}

void TFileOperationDialog::RenameHelpClick() {
    CurrentPrompt().Ask(TPromptKind::pkInformation, RenameHelpText(), TPromptButtons::pbOK);
}

bool TFileOperationDialog::OnCommand(int id, int, HWND) {
    // Escape closes the dialog as its system menu does.
    if (id == IDCANCEL) {
        Close();
        return true;
    }
    return false;
}
