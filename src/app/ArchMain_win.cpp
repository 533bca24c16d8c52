#include "app/ArchMain_win.h"

#include <algorithm>
#include <utility>

#include "app/FullScreen_win.h"
#include "app/HelpFile_win.h"
#include "app/ImgView_win.h"
#include "forms/SetUp_win.h"
#include "forms/Version_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"
#include "toolkit/Prompt.h"

namespace {

const wchar_t kCaption[] = L"Vardeno View  Ver.0.14(β版)";
const int kDesignWidth = 687;
const int kDesignHeight = 532;
const int kToolBarHeight = 33;
const int kToolButtonWidth = 26;
const int kToolBarRightWidth = 135;
const int kSplitterSize = 5;
const int kStripHeight = 25;
const int kFilterWidth = 201;
const int kToggleWidth = 23;
const int kOperationBoxWidth = 30;
const int kStatusHeight = 19;
const int kProgressPanelWidth = 200;
const int kHeaderHeight = 17;
const int kRowHeight = 16;

}  // namespace

struct TSPIMain::TToolButtons {
    TSpeedButton openArchive, openFolder, saveToFolder, saveBitmap, saveToSaveFolder, bitmapToSaveFolder, copyMove,
        filer, exit;
    TSpeedButton upFolder, newFolder, viewList, viewDetails;
};

TSPIMain::TSPIMain(std::vector<std::wstring> arguments)
    : arguments_(std::move(arguments)), tools_(std::make_unique<TToolButtons>()), listPopup_(IDR_LIST_POPUP) {
    Create(L"TSPIMain", kCaption, kDesignWidth, kDesignHeight);
    SetFontFace(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
    SetMinTrackSize(350, 300);
    LoadMenuResource(IDR_MAIN_MENU);
    LoadAcceleratorTable(IDR_MAIN_ACCEL);
    SetClientSize(kDesignWidth, kDesignHeight);
    CenterOnScreen();

    CreateToolBar();
    filer_.Create(Handle(), IDC_MAIN_FILER, RECT{0, kToolBarHeight, kDesignWidth, kToolBarHeight + filerHeight_});
    CreateFilerPane();
    lowerSplitter_.Create(Handle(), IDC_MAIN_LOWER_SPLITTER, RECT{}, false);
    lowerSplitter_.OnMoved = [this](int delta) {
        filerHeight_ = std::max(0, filerHeight_ + delta);
        Layout();
    };
    CreateArchivePane();
    CreateStatusBar();
    AttachHints();
    fileDrop_ = std::make_unique<TFileDrop>(*this);
    fileDrop_->OnFileDrop = [this](TFileDrop&, int, const std::vector<std::wstring>& files, int, int) {
        FilesDropped(files);
    };

    // The plug-in set searches the Susie plug-in folder and the program's folder by itself.
    plugins_ = std::make_unique<TSPIs>();
    plugins_->SearchOptions = {spsSusieDir, spsAppDir};
    plugins_->AutoSearch = true;
    plugins_->Loaded();

    settings_ = std::make_unique<TSpiReg>();
    ApplySettings();
    CreateViewers();
    BuildFilters();
    listMode_ = TListMode::lmFolder;
    currentIndex_ = -1;
    Layout();
    OpenCommandLine();
    SetStatusText(std::to_wstring(plugins_->Count()) + L"個のSusie-Pluginが読み込まれました。");
    UpdateCommandStates();
    folderChangeArmed_ = true;
}

TSPIMain::~TSPIMain() {
    // The window goes while the controls' wrappers are whole.
    Destroy();
}

void TSPIMain::CreateToolBar() {
    TToolButtons& t = *tools_;
    toolBar_.Create(Handle(), IDC_MAIN_TOOLBAR, RECT{0, 0, kDesignWidth, kToolBarHeight});
    struct TTool {
        TSpeedButton& button;
        int id;
        const wchar_t* glyph;
        const wchar_t* caption;
    };
    const TTool left[] = {
        {t.openArchive, IDC_MAIN_TB_OPEN_ARCHIVE, VV_GLYPH_OPEN_ARCHIVE, L""},
        {t.openFolder, IDC_MAIN_TB_OPEN_FOLDER, VV_GLYPH_OPEN_FOLDER, L""},
        {t.saveToFolder, IDC_MAIN_TB_SAVE_TO_FOLDER, VV_GLYPH_SAVE_TO_FOLDER, L""},
        {t.saveBitmap, IDC_MAIN_TB_SAVE_BITMAP, VV_GLYPH_SAVE_BITMAP, L""},
        {t.saveToSaveFolder, IDC_MAIN_TB_SAVE_TO_SAVE_FOLDER, VV_GLYPH_SAVE_TO_SAVE_FOLDER, L""},
        {t.bitmapToSaveFolder, IDC_MAIN_TB_BITMAP_TO_SAVE_FOLDER, VV_GLYPH_BITMAP_TO_SAVE_FOLDER, L""},
        {t.copyMove, IDC_MAIN_TB_COPY_MOVE, nullptr, L"移"},
    };
    for (const TTool& tool : left) {
        toolBar_.AddButton(tool.button, tool.id, tool.caption, kToolButtonWidth);
        if (tool.glyph) tool.button.LoadGlyph(tool.glyph);
    }
    toolBar_.AddSeparator();
    toolBar_.AddButton(t.filer, IDC_MAIN_TB_FILER, L"", kToolButtonWidth);
    t.filer.LoadGlyph(VV_GLYPH_FILER);
    t.filer.SetGroupIndex(1);
    t.filer.SetAllowAllUp(true);
    toolBar_.AddButton(t.exit, IDC_MAIN_TB_EXIT, L"", kToolButtonWidth);
    t.exit.LoadGlyph(VV_GLYPH_EXIT);

    // The right part: the file list's buttons, shown with the filer.
    toolBarRight_.Create(toolBar_.Handle(), IDC_MAIN_TB_RIGHT, RECT{0, 2, kToolBarRightWidth, kToolBarHeight});
    const TTool right[] = {
        {t.upFolder, IDC_MAIN_TB_UP_FOLDER, VV_GLYPH_UP_FOLDER, L""},
        {t.newFolder, IDC_MAIN_TB_NEW_FOLDER, VV_GLYPH_NEW_FOLDER, L""},
        {t.viewList, IDC_MAIN_TB_VIEW_LIST, VV_GLYPH_VIEW_LIST, L""},
        {t.viewDetails, IDC_MAIN_TB_VIEW_DETAILS, VV_GLYPH_VIEW_DETAILS, L""},
    };
    int x = 4;
    for (const TTool& tool : right) {
        tool.button.Create(toolBarRight_.Handle(), tool.id, tool.caption, RECT{x, 2, x + kToolButtonWidth, kToolBarHeight - 5});
        tool.button.LoadGlyph(tool.glyph);
        x += kToolButtonWidth + (&tool.button == &t.newFolder ? 8 : 0);
    }
    t.newFolder.SetEnabled(false);  // present, never enabled
    t.viewList.SetGroupIndex(2);
    t.viewDetails.SetGroupIndex(2);
    t.viewList.SetDown(true);

    t.openArchive.OnClick = [this] { OnCommand(IDM_MAIN_OPEN_ARCHIVE, 0, nullptr); };
    t.openFolder.OnClick = [this] { OnCommand(IDM_MAIN_OPEN_FOLDER, 0, nullptr); };
    t.saveToFolder.OnClick = [this] { OnCommand(IDM_MAIN_SAVE_TO_FOLDER, 0, nullptr); };
    t.saveBitmap.OnClick = [this] { OnCommand(IDM_MAIN_SAVE_BITMAP, 0, nullptr); };
    t.saveToSaveFolder.OnClick = [this] { OnCommand(IDM_MAIN_SAVE_TO_SAVE_FOLDER, 0, nullptr); };
    t.bitmapToSaveFolder.OnClick = [this] { OnCommand(IDM_MAIN_BITMAP_TO_SAVE_FOLDER, 0, nullptr); };
    t.copyMove.OnClick = [this] { OnCommand(IDM_MAIN_COPY_MOVE, 0, nullptr); };
    t.exit.OnClick = [this] { Close(); };
    t.filer.OnClick = [this] { FilerToggleClick(); };
    t.upFolder.OnClick = [this] { UpFolderClick(); };
    t.viewList.OnClick = [this] { SetFileListSmallIcons(true); };
    t.viewDetails.OnClick = [this] { SetFileListSmallIcons(false); };
}

TSpeedButton& TSPIMain::FilerToggle() { return tools_->filer; }

void TSPIMain::EnableToolButtons(const TCommandStates& states) {
    TToolButtons& t = *tools_;
    t.saveBitmap.SetEnabled(states.selection);
    t.bitmapToSaveFolder.SetEnabled(states.selection);
    t.copyMove.SetEnabled(states.selection);
    t.saveToFolder.SetEnabled(states.archiveSave);
    t.saveToSaveFolder.SetEnabled(states.archiveSave);
}

void TSPIMain::CreateArchivePane() {
    archivePane_.Create(Handle(), IDC_MAIN_ARCHIVE_PANE, RECT{0, 0, kDesignWidth, 200});
    strip_.Create(archivePane_.Handle(), IDC_MAIN_STRIP, RECT{0, 0, kDesignWidth, kStripHeight}, TBevel::bvRaised);
    strip_.SetCaptionFormat(DT_LEFT);
    // Narrow enough for the eleven spaces that the many-folder caption leaves for it.
    details_.Create(strip_.Handle(), IDC_MAIN_DETAILS, L"詳細", RECT{2, 2, 34, kStripHeight - 2});
    details_.Hide();
    details_.OnClick = [this] { ShowOpenFolders(); };
    filter_.Create(strip_.Handle(), IDC_MAIN_FILTER, RECT{0, 2, kFilterWidth, 300});
    filter_.OnChange = [this] { Refill(CurrentPatterns()); };
    listOperation_.Create(strip_.Handle(), IDC_MAIN_LIST_OPERATION, L"", RECT{0, 1, kToggleWidth, kStripHeight - 1});
    listOperation_.LoadGlyph(VV_GLYPH_LIST_OPERATION);
    listOperation_.SetGroupIndex(3);
    listOperation_.SetAllowAllUp(true);
    listOperation_.OnClick = [this] { ListOperationToggleClick(); };

    list_.Create(archivePane_.Handle(), IDC_MAIN_LIST, RECT{0, kStripHeight, kDesignWidth, 200}, kHeaderHeight, kRowHeight);
    struct TSection {
        const wchar_t* caption;
        int width;
    };
    const TSection sections[] = {{L"ファイル名", 150}, {L"サイズ", 100}, {L"更新日", 100},
                                 {L"圧縮サイズ", 100}, {L"形式", 50},   {L"パス情報", 150}};
    for (const TSection& s : sections) list_.Header().AddSection(s.caption, s.width);
    list_.Header().OnSectionClick = [this](int section) { HeaderClick(section); };
    list_.Header().OnSectionResize = [this] { list_.List().Invalidate(); };
    TDataListBox& list = list_.List();
    list.OnDrawItem = [this](const TDataListBox::TDrawItem& item) { DrawRow(item); };
    list.OnGetText = [this](int row) { return rows_.Rows().at(static_cast<size_t>(row)).text; };
    list.OnClick = [this] { ListClick(); };
    list.OnDblClick = [this] { OnCommand(IDM_LIST_SHOW, 0, nullptr); };
    list.OnRightButtonDown = [this](POINT p) { ListRightButtonDown(p); };

    operationBox_.Create(archivePane_.Handle(), IDC_MAIN_OPERATION_BOX, RECT{0, kStripHeight, kOperationBoxWidth, 200});
    struct TMove {
        TSpeedButton& button;
        int id;
        const wchar_t* caption;
        TRowMove move;
    };
    const TMove moves[] = {{moveTop_, IDC_MAIN_MOVE_TOP, L"▲", TRowMove::rmTop},
                           {moveUp_, IDC_MAIN_MOVE_UP, L"△", TRowMove::rmUp},
                           {moveDown_, IDC_MAIN_MOVE_DOWN, L"▽", TRowMove::rmDown},
                           {moveBottom_, IDC_MAIN_MOVE_BOTTOM, L"▼", TRowMove::rmBottom}};
    int y = 4;
    for (const TMove& m : moves) {
        m.button.Create(operationBox_.Handle(), m.id, m.caption, RECT{3, y, kOperationBoxWidth - 3, y + 24});
        const TRowMove move = m.move;
        m.button.OnClick = [this, move] { MoveFocusedRow(move); };
        y += 28;
    }
}

void TSPIMain::CreateStatusBar() {
    status_.Create(Handle(), IDC_MAIN_STATUS, {kProgressPanelWidth, -1});
    // The bar keeps the height given it rather than one made from its font: the window places it.
    const LONG_PTR style = GetWindowLongPtrW(status_.Handle(), GWL_STYLE);
    SetWindowLongPtrW(status_.Handle(), GWL_STYLE, style | CCS_NORESIZE | CCS_NOPARENTALIGN);
    progress_.Create(Handle(), IDC_MAIN_PROGRESS, RECT{0, 0, 198, 15});
    status_.PlaceInPanel(progress_, 0, 1, 3, 198, 15);
}

void TSPIMain::AttachHints() {
    TToolButtons& t = *tools_;
    THints& hints = Hints();
    const std::pair<TWindow*, const wchar_t*> tips[] = {
        {&t.openArchive, L"アーカイブを指定して開く"},
        {&t.openFolder, L"フォルダを指定して開く"},
        {&t.saveToFolder, L"フォルダを指定して保存"},
        {&t.saveBitmap, L"Bitmapに変換して保存"},
        {&t.saveToSaveFolder, L"指定フォルダに保存"},
        {&t.bitmapToSaveFolder, L"Bitmapを指定フォルダに保存"},
        {&t.copyMove, L"ファイルのコピー・移動"},
        {&t.filer, L"ファイラーウィンドウの開閉"},
        {&t.exit, L"アプリケーションの終了"},
        {&t.upFolder, L"１つ上のフォルダへ"},
        {&t.newFolder, L"新規フォルダの作成"},
        {&t.viewList, L"一覧"},
        {&t.viewDetails, L"詳細"},
        {&listOperation_, L"並べ替えボタンの表示・非表示"},
        {&moveTop_, L"リストの一番上に移動します。"},
        {&moveUp_, L"ひとつ上に移動します"},
        {&moveDown_, L"ひとつ下に移動します"},
        {&moveBottom_, L"リストの一番下に移動します。"},
    };
    for (const auto& [window, tip] : tips) hints.Add(*window, tip);
}

void TSPIMain::OnSize(int, int) {
    if (status_.Handle()) Layout();
}

void TSPIMain::Layout() {
    const RECT client = ClientRect();
    const int width = client.right;
    const int bottom = std::max(0, static_cast<int>(client.bottom) - kStatusHeight);
    status_.SetBounds(0, bottom, width, kStatusHeight);

    toolBar_.SetBounds(0, 0, width, kToolBarHeight);
    // The right part keeps to the right end, but never over the buttons on the left.
    const int leftEnd = static_cast<int>(tools_->exit.Bounds().right) + 4;
    toolBarRight_.SetBounds(std::max(leftEnd, width - kToolBarRightWidth), 2, kToolBarRightWidth, kToolBarHeight - 4);
    int top = kToolBarHeight;
    if (filerShown_) {
        // A small window shows less of the filer; its height comes back when the window grows.
        const int maxFiler = std::max(0, bottom - top - kSplitterSize - kStripHeight - kHeaderHeight);
        const int filerHeight = std::min(filerHeight_, maxFiler);
        filer_.SetBounds(0, top, width, filerHeight);
        LayoutFiler();
        top += filerHeight;
        lowerSplitter_.SetBounds(0, top, width, kSplitterSize);
        top += kSplitterSize;
    }
    archivePane_.SetBounds(0, top, width, std::max(0, bottom - top));

    const RECT pane = archivePane_.ClientRect();
    strip_.SetBounds(0, 0, pane.right, kStripHeight);
    // The toggle keeps to the strip's right end and the drop-down to the toggle's left.
    const int toggleLeft = pane.right - kToggleWidth - 3;
    listOperation_.SetBounds(toggleLeft, 1, kToggleWidth, kStripHeight - 2);
    const RECT filterBounds = filter_.Bounds();
    filter_.SetBounds(toggleLeft - kFilterWidth - 3, filterBounds.top, kFilterWidth,
                      filterBounds.bottom - filterBounds.top);
    const int listHeight = std::max(0, static_cast<int>(pane.bottom) - kStripHeight);
    const int boxWidth = operationShown_ ? kOperationBoxWidth : 0;
    list_.SetBounds(0, kStripHeight, std::max(0, static_cast<int>(pane.right) - boxWidth), listHeight);
    operationBox_.SetBounds(pane.right - kOperationBoxWidth, kStripHeight, kOperationBoxWidth, listHeight);
}

void TSPIMain::ListOperationToggleClick() {
    operationShown_ = !listOperation_.Down();
    operationBox_.Show(operationShown_);
    Layout();
}

void TSPIMain::ApplySettings() {
    const TSpiRegValues& v = settings_->Values();
    if (AppliesStoredLayout(v)) {
        SetWindowPos(Handle(), nullptr, 0, 0, v.width, v.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        treeWidth_ = std::max(0, v.folderTreeWidth);
        filerHeight_ = std::max(0, v.filerHeight);
        listOperation_.SetDown(!v.listOperationShown);
        operationShown_ = v.listOperationShown;
        operationBox_.Show(operationShown_);
    }
    SelectTreeFolder(v.folderView);
    ShowFiler(v.filerShown);
    FilerToggle().SetDown(!v.filerShown);
    browseFolder_ = v.browseFolder;
    SetFileListSmallIcons(v.filerSmallIcons);
    tools_->viewList.SetDown(v.filerSmallIcons);
    tools_->viewDetails.SetDown(!v.filerSmallIcons);
    saveFolder_ = v.saveFolder;
}

TSpiRegValues TSPIMain::CaptureSettings() const {
    TSpiRegValues v = settings_->Values();
    // The size the window has when it is neither maximised nor minimised.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    RECT r{};
    if (GetWindowPlacement(Handle(), &placement) && (IsZoomed(Handle()) || IsIconic(Handle())))
        r = placement.rcNormalPosition;
    else
        GetWindowRect(Handle(), &r);
    v.width = r.right - r.left;
    v.height = r.bottom - r.top;
    v.folderTreeWidth = treeWidth_;
    v.filerHeight = filerHeight_;
    v.listOperationShown = !listOperation_.Down();
    v.folderView = folderTree_.SelectedPath();
    v.filerShown = filerShown_;
    v.browseFolder = browseFolder_;
    v.filerSmallIcons = fileList_.ViewStyle() == LVS_SMALLICON;
    v.saveFolder = saveFolder_;
    if (imageView_) {
        v.viewMode = viewMode_;
        v.imageToolBar = imageView_->ToolBarShown();
        if (imageView_->Handle()) {
            const RECT at = imageView_->Bounds();
            v.imageLeft = at.left;
            v.imageTop = at.top;
        }
    }
    return v;
}

void TSPIMain::BuildFilters() {
    std::vector<TPluginFormats> formats;
    for (int i = 0; i < plugins_->Count(); ++i) {
        TSPI& spi = plugins_->Items(i);
        formats.push_back({&spi, spi.FileName(), SPIKindOfVersion(spi.Version()), spi.Extensions(), spi.FileTypes()});
    }
    filters_ = BuildFilterLists(formats);
    std::vector<std::wstring> masks = FileListMasks(filters_);
    if (!masks.empty()) {
        fileList_.SetMask(std::move(masks));
        fileList_.Refresh();
    }
    filter_.Clear();
    for (const TFilterRow& row : FilterDropDownEntries(filters_)) filter_.Add(row.text);
    filter_.SetItemIndex(0);
}

void TSPIMain::OpenCommandLine() {
    // What the command line names; without arguments, or when they open nothing, the pictures of
    // the folder the tree shows.
    if (!arguments_.empty() && OpenPaths(arguments_, AllPicturePatterns(), false)) return;
    OpenFolders({folderTree_.SelectedPath()}, AllPicturePatterns(), false);
}

void TSPIMain::CommandNotAvailable(const std::wstring& command) {
    CurrentPrompt().Ask(TPromptKind::pkInformation, L"「" + command + L"」はこの版ではまだ使えません。",
                        TPromptButtons::pbOK);
}

void TSPIMain::SetUpClick() {
    TSetUpDialog dialog(Handle());
    dialog.ExecuteSetUp(plugins_.get(), saveFolder_);
}

void TSPIMain::AboutClick() {
    TVersionDialog dialog(Handle());
    dialog.Show(plugins_.get());
}

bool TSPIMain::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDM_MAIN_EXIT: Close(); return true;
    case IDM_MAIN_SELECT_ALL: SelectAll(); return true;
    case IDM_MAIN_FILER: FilerMenuClick(); return true;
    case IDM_MAIN_OPEN_ARCHIVE: OpenArchiveClick(); return true;
    case IDM_MAIN_OPEN_FOLDER: OpenFolderClick(); return true;
    case IDM_MAIN_SAVE_TO_FOLDER: SaveToPickedFolder(false); return true;
    case IDM_MAIN_SAVE_BITMAP: SaveToPickedFolder(true); return true;
    case IDM_MAIN_SAVE_TO_SAVE_FOLDER: SaveToSaveFolder(false); return true;
    case IDM_MAIN_BITMAP_TO_SAVE_FOLDER: SaveToSaveFolder(true); return true;
    case IDM_MAIN_COPY_MOVE: CopyMoveClick(); return true;
    case IDM_LIST_SHOW: if (FirstSelectedRow() >= 0) ShowMember(FirstSelectedRow(), false); return true;
    case IDM_MAIN_SETUP: SetUpClick(); return true;
    case IDM_MAIN_HELP: ShowHelp(Handle()); return true;
    case IDM_MAIN_ABOUT: AboutClick(); return true;
    }
    return false;
}

LRESULT TSPIMain::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // The settings are written once, while the window and its controls still exist.
    if (msg == WM_DESTROY && settings_) {
        settings_->SetValues(CaptureSettings());
        settings_->Write();
    }
    return TForm::WndProc(msg, wp, lp);
}
