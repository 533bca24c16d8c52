// The main window's filer pane: the folder tree and the file list side by side, the tree's change
// event that lists a folder's pictures, the filer toggle, the parent-folder button and the file
// list's view switch.
#include <windows.h>

#include <algorithm>

#include "app/ArchMain_win.h"
#include "app/FileUtil.h"
#include "resources/ResourceIds.h"

namespace {

const int kTreeWidth = 200;
const int kSplitterSize = 5;

}  // namespace

void TSPIMain::CreateFilerPane() {
    const RECT r = filer_.ClientRect();
    folderTree_.Create(filer_.Handle(), IDC_MAIN_FOLDER_TREE, RECT{0, 0, kTreeWidth, r.bottom},
                       TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS);
    filerSplitter_.Create(filer_.Handle(), IDC_MAIN_FILER_SPLITTER, RECT{kTreeWidth, 0, kTreeWidth + kSplitterSize, r.bottom},
                          true);
    fileList_.Create(filer_.Handle(), IDC_MAIN_FILE_LIST, RECT{kTreeWidth + kSplitterSize, 0, r.right, r.bottom},
                     LVS_SMALLICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    fileList_.SetFileExecute(false);
    TreeView_SetIndent(folderTree_.Handle(), 19);
    folderTree_.SetFileView(&fileList_);
    folderTree_.OnChange = [this](HTREEITEM) { FolderTreeChange(); };
    fileList_.OnDblClick = [this] { FileListDblClick(); };
    filerSplitter_.OnMoved = [this](int delta) {
        treeWidth_ = std::max(0, treeWidth_ + delta);
        LayoutFiler();
    };
    Hints().Add(folderTree_, L"フォルダの選択欄です");
    Hints().Add(fileList_, L"Susie-Plugin対応のアーカイブファイルのみを表示します");
}

void TSPIMain::LayoutFiler() {
    const RECT r = filer_.ClientRect();
    // A narrow window shows less of the tree; its width comes back when the window grows.
    const int treeWidth = std::min<int>(treeWidth_, std::max<int>(0, r.right - kSplitterSize));
    folderTree_.SetBounds(0, 0, treeWidth, r.bottom);
    filerSplitter_.SetBounds(treeWidth, 0, kSplitterSize, r.bottom);
    fileList_.SetBounds(treeWidth + kSplitterSize, 0, std::max<int>(0, r.right - treeWidth - kSplitterSize), r.bottom);
}

void TSPIMain::SelectTreeFolder(const std::wstring& folder) {
    // The change event that follows is ignored once. When the tree was on that folder already no
    // event comes, and the next change the user makes must not be the one ignored.
    const HTREEITEM before = folderTree_.Selected();
    folderChangeArmed_ = false;
    folderTree_.SelectPath(folder);
    if (folderTree_.Selected() == before) folderChangeArmed_ = true;
}

void TSPIMain::FolderTreeChange() {
    const bool append = GetKeyState(VK_CONTROL) < 0;
    if (!folderChangeArmed_) {
        folderChangeArmed_ = true;
        return;
    }
    if (!folderTree_.NotFileSystemFolder()) OpenFolders({folderTree_.SelectedPath()}, AllPicturePatterns(), append);
    UpdateCommandStates();
}

void TSPIMain::FileListDblClick() {
    const std::wstring path = fileList_.SelectedPath();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    // A folder opens in the tree, which lists it; a file is opened as an archive.
    if (path.empty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    OpenArchive(path);
    UpdateCommandStates();
}

void TSPIMain::ShowFiler(bool shown) {
    filerShown_ = shown;
    lowerSplitter_.Show(shown);
    filer_.Show(shown);
    toolBarRight_.Show(shown);
    CheckMenuCommand(Menu(), IDM_MAIN_FILER, shown);
    Layout();
}

void TSPIMain::FilerToggleClick() { ShowFiler(!FilerToggle().Down()); }

void TSPIMain::FilerMenuClick() {
    FilerToggle().SetDown(!FilerToggle().Down());
    FilerToggleClick();
}

void TSPIMain::UpFolderClick() {
    const std::wstring current = folderTree_.SelectedPath();
    const size_t slash = current.find_last_of(L'\\');
    if (slash == std::wstring::npos) return;
    // A drive root ("C:\") stays itself.
    const std::wstring parent = slash <= 2 ? current.substr(0, 3) : current.substr(0, slash);
    if (parent != current && IsExistingFolder(parent)) folderTree_.SelectPath(parent);
}

void TSPIMain::SetFileListSmallIcons(bool smallIcons) {
    fileList_.SetViewStyle(smallIcons ? LVS_SMALLICON : LVS_REPORT);
}
