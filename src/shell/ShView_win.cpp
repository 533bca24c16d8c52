#include "shell/ShView_win.h"


#include <unordered_map>
#include <utility>

#include "shell/ShellRules.h"
#include "toolkit/Application_win.h"

// ---- TFileView

std::array<int, 4> TFileView::sortDirections_{1, 1, 1, 1};

TFileView::~TFileView() {
    if (tree_) tree_->fileView_ = nullptr;
}

void TFileView::Create(HWND parent, int id, const RECT& bounds, DWORD style) {
    TListView::Create(parent, id, bounds, style | LVS_SHAREIMAGELISTS);
    while (ColumnCount() < 4) AddColumn(L"", 50);
    const std::pair<const wchar_t*, int> columns[] = {
        {L"名前", LVCFMT_LEFT}, {L"ｻｲｽﾞ", LVCFMT_RIGHT}, {L"ﾌｧｲﾙの種類", LVCFMT_LEFT}, {L"更新日時", LVCFMT_LEFT}};
    const int widths[] = {120, 60, 120, 120};
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = columns[i].second;
        column.cx = widths[i];
        std::wstring text = columns[i].first;
        column.pszText = text.data();
        SendMessageW(Handle(), LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    SetImageList(SystemImageList(false), LVSIL_NORMAL);
    SetImageList(SystemImageList(true), LVSIL_SMALL);
}

void TFileView::SetFolder(LPCITEMIDLIST absolute) {
    if (!absolute) return;
    folderId_ = TItemIdList::CopyOf(absolute);
    folder_ = BindToFolder(folderId_.get());
    if (!folder_) folder_ = DesktopFolder();
    if (Handle()) Refresh();
}

void TFileView::ClearRows() {
    Clear();
    ids_.clear();
}

void TFileView::Refresh() {
    if (!folder_) return;
    TComPtr<IEnumIDList> items = EnumerateFolder(folder_.get(), folderId_.get(), Handle(),
                                                 SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN);
    if (!items) {
        if (tree_) tree_->SelectPrevious();
        return;
    }
    TComPtr<IShellIcon> icons;
    if (FAILED(folder_->QueryInterface(IID_IShellIcon, icons.PutVoid()))) icons.reset();
    sortDirections_.fill(1);

    // Filled in list style, which lays out cheaply, and without drawing; both undone on every path.
    class TFillScope {
    public:
        explicit TFillScope(TFileView& view) : view_(view), style_(view.ViewStyle()) {
            view_.BeginUpdate();
            view_.ClearRows();
            view_.SetViewStyle(LVS_LIST);
        }
        ~TFillScope() {
            view_.SortRows(0);
            view_.SetViewStyle(style_);
            view_.EndUpdate();
        }
        TFillScope(const TFillScope&) = delete;
        TFillScope& operator=(const TFillScope&) = delete;

    private:
        TFileView& view_;
        DWORD style_;
    };
    TWaitCursor wait;
    TFillScope fill(*this);
    ForEachItem(items.get(), [&](TItemIdList id) { AddRow(icons.get(), std::move(id)); });
}

// One row: name, image (a shortcut with the overlay), size and time from the find data, type.
void TFileView::AddRow(IShellIcon* icons, TItemIdList id) {
    const SFGAOF attributes = AttributesOf(folder_.get(), id.get(), SFGAO_FOLDER | SFGAO_LINK);
    if (!MaskAccepts(mask_, DisplayNameOf(folder_.get(), id.get(), SHGDN_FORPARSING), (attributes & SFGAO_FOLDER) != 0))
        return;
    const TItemIdList absolute = TItemIdList::Concat(folderId_.get(), id.get());
    int image = IconOf(icons, id.get(), GIL_FORSHELL);
    if (image == -1) image = SystemIconIndex(absolute.get(), SHGFI_SMALLICON);
    const int row = AddItem(DisplayNameOf(folder_.get(), id.get(), SHGDN_INFOLDER), image, reinterpret_cast<LPARAM>(id.get()));
    ids_.push_back(std::move(id));
    if (attributes & SFGAO_LINK) SetOverlay(row, 1);

    WIN32_FIND_DATAW found{};
    if (SUCCEEDED(SHGetDataFromIDListW(folder_.get(), ids_.back().get(), SHGDFIL_FINDDATA, &found, sizeof(found)))) {
        // Some shells (Wine's) keep only the low 32 bits of the size in an id: a file-system item's
        // size comes from the file system, whole.
        WIN32_FILE_ATTRIBUTE_DATA file{};
        const std::wstring path = PathOfIdList(absolute.get());
        if (!path.empty() && GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file)) {
            found.nFileSizeHigh = file.nFileSizeHigh;
            found.nFileSizeLow = file.nFileSizeLow;
        }
        const ULONGLONG size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        SetSubItem(row, 1, FileSizeText(size));
        FILETIME local{};
        WORD date = 0, time = 0;
        if (FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) && FileTimeToDosDateTime(&local, &date, &time))
            SetSubItem(row, 3, DosDateTimeText(date, time));
    }
    SetSubItem(row, 2, TypeNameOf(absolute.get()));
}

// Column 0 in the folder's own order, the others by their text in the system's string order.
void TFileView::SortRows(int column) {
    const int direction = sortDirections_.at(static_cast<size_t>(column));
    if (column == 0) {
        IShellFolder* folder = folder_.get();
        Sort([folder, direction](LPARAM a, LPARAM b) {
            return direction * CompareIdsIn(folder, reinterpret_cast<LPCITEMIDLIST>(a), reinterpret_cast<LPCITEMIDLIST>(b));
        });
        return;
    }
    std::unordered_map<LPARAM, std::wstring> texts;
    for (int i = 0; i < Count(); ++i) texts[ItemData(i)] = ItemText(i, column);
    Sort([&texts, direction](LPARAM a, LPARAM b) {
        const std::wstring &x = texts[a], &y = texts[b];
        return direction * (CompareStringW(LOCALE_USER_DEFAULT, 0, x.c_str(), static_cast<int>(x.size()), y.c_str(),
                                           static_cast<int>(y.size())) - CSTR_EQUAL);
    });
}

void TFileView::ColumnClick(int column) {
    if (column >= 0 && column < static_cast<int>(sortDirections_.size()) && folder_) {
        sortDirections_.at(static_cast<size_t>(column)) *= -1;
        SortRows(column);
    }
    TListView::ColumnClick(column);
}

// A folder (or a folder-like item such as a zip file shown as one) opens in the attached tree;
// anything else runs through the shell when that is on.
void TFileView::DblClick() {
    const int index = SelectedIndex();
    if (index >= 0 && folder_) {
        const LPCITEMIDLIST id = ItemId(index);
        if (tree_ && AttributesOf(folder_.get(), id, SFGAO_FOLDER | SFGAO_FILESYSANCESTOR)) tree_->OpenChild(id);
        else if (fileExecute_) Execute(id);
    }
    TListView::DblClick();
}

void TFileView::Execute(LPCITEMIDLIST child) {
    const TItemIdList absolute = TItemIdList::Concat(folderId_.get(), child);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_IDLIST;
    info.hwnd = Handle();
    info.lpIDList = const_cast<LPITEMIDLIST>(absolute.get());
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&info);
}

// The shell renames the item; the row takes the new id and the name the shell shows for it, or
// keeps the old name when the rename failed.
bool TFileView::Edited(int index, const std::wstring& text) {
    if (!folder_) return false;
    const LPCITEMIDLIST oldId = ItemId(index);
    const SFGAOF attributes = AttributesOf(folder_.get(), oldId, SFGAO_FOLDER | SFGAO_FILESYSANCESTOR);
    TItemIdList newId;
    if (FAILED(folder_->SetNameOf(Handle(), oldId, text.c_str(), SHGDN_INFOLDER, newId.put())) || !newId) {
        SetItemText(index, DisplayNameOf(folder_.get(), oldId, SHGDN_INFOLDER));
        return false;
    }
    if (attributes && tree_) tree_->ChildNameChange(oldId, newId.get());
    SetItemText(index, DisplayNameOf(folder_.get(), newId.get(), SHGDN_INFOLDER));
    SetItemData(index, reinterpret_cast<LPARAM>(newId.get()));
    for (TItemIdList& owned : ids_)
        if (owned.get() == oldId) owned = std::move(newId);
    TListView::Edited(index, text);
    return false;  // the row has its text already
}

std::vector<LPCITEMIDLIST> TFileView::SelectedIds() const {
    std::vector<LPCITEMIDLIST> ids;
    for (int index : SelectedIndexes()) ids.push_back(ItemId(index));
    return ids;
}

void TFileView::BeginDrag(int index) {
    if (OnDragItems && folder_) {
        const std::vector<LPCITEMIDLIST> ids = SelectedIds();
        if (!ids.empty()) OnDragItems(folder_.get(), ids);
    }
    TListView::BeginDrag(index);
}

void TFileView::RightClick(POINT screen) {
    if (OnContextMenu && folder_) {
        const std::vector<LPCITEMIDLIST> ids = SelectedIds();
        if (!ids.empty()) OnContextMenu(folder_.get(), ids, screen);
    }
    TListView::RightClick(screen);
}

std::wstring TFileView::SelectedPath() const {
    const int index = SelectedIndex();
    return index < 0 || !folder_ ? std::wstring() : DisplayNameOf(folder_.get(), ItemId(index), SHGDN_FORPARSING);
}
