#include "shell/ShView_win.h"

#include <shellapi.h>

#include <unordered_map>
#include <utility>

#include "shell/ShellRules.h"
#include "toolkit/Application_win.h"

namespace {

// Sets a flag for a scope.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
};

// An item's icon as the folder's own icon interface gives it; -1 when it gives none.
int FolderIcon(IShellIcon* icons, LPCITEMIDLIST child, UINT flags) {
    int index = -1;
    if (!icons || icons->GetIconOf(child, flags, &index) != S_OK) return -1;
    return index;
}

// The items of a folder; empty when the folder cannot be listed. Some shells hand out an empty
// list for a file-system folder that no longer exists: that counts as one that cannot be listed.
TComPtr<IEnumIDList> EnumerateFolder(IShellFolder* folder, LPCITEMIDLIST absolute, HWND owner, SHCONTF flags) {
    TComPtr<IEnumIDList> items;
    if (folder->EnumObjects(owner, flags, items.put()) != S_OK) items.reset();
    if (items) {
        const std::wstring path = PathOfIdList(absolute);
        const DWORD attributes = path.empty() ? 0 : GetFileAttributesW(path.c_str());
        if (!path.empty() && (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)))
            items.reset();
    }
    return items;
}

// The items of an enumeration, one owned id at a time.
template <class TVisit>
void ForEachItem(IEnumIDList* items, TVisit visit) {
    LPITEMIDLIST raw = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &raw, &fetched) == S_OK && raw) {
        visit(TItemIdList(raw));
        raw = nullptr;
    }
}

}  // namespace

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
    int image = FolderIcon(icons, id.get(), GIL_FORSHELL);
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

// ---- TFolderView

TFolderView::~TFolderView() {
    if (fileView_) fileView_->tree_ = nullptr;
    // The ids are freed by this class's ItemDeleted, which the base's destructor no longer reaches.
    if (Handle()) ReleaseItemData(Root());
}

void TFolderView::Create(HWND parent, int id, const RECT& bounds, DWORD style) {
    TTreeView::Create(parent, id, bounds, style & ~static_cast<DWORD>(TVS_LINESATROOT));
    SetImageList(SystemImageList(true));
    BuildRoot();
}

void TFolderView::SetFileView(TFileView* view) {
    if (fileView_) fileView_->tree_ = nullptr;
    fileView_ = view;
    if (!view) return;
    if (view->tree_) view->tree_->fileView_ = nullptr;
    view->tree_ = this;
    ReportSelection();
}

void TFolderView::BuildRoot() {
    if (filling_) return;
    TItemIdList desktop = TItemIdList::SpecialFolder(CSIDL_DESKTOP);
    const std::wstring name = desktop ? ShownNameOf(desktop.get()) : std::wstring();
    if (name.empty()) return;
    HTREEITEM root = nullptr;
    {
        TFlagScope filling(filling_);
        Clear();
        current_ = previous_ = nullptr;
        root = AddItem(nullptr, name, SystemIconIndex(desktop.get(), SHGFI_SMALLICON),
                       SystemIconIndex(desktop.get(), SHGFI_SMALLICON | SHGFI_OPENICON), reinterpret_cast<LPARAM>(desktop.get()),
                       true);
        desktop.release();
        Select(root);
    }
    FillChildren(root);
    Expand(root);
    ReportSelection();
}

TItemIdList TFolderView::AbsoluteId(HTREEITEM node) const {
    std::vector<LPCITEMIDLIST> chain;
    for (HTREEITEM n = node; n; n = Parent(n)) chain.push_back(NodeId(n));
    TItemIdList result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) result = TItemIdList::Concat(result.get(), *it);
    return result;
}

TComPtr<IShellFolder> TFolderView::NodeFolder(HTREEITEM node) const {
    if (!node) return {};
    if (node == Root()) return DesktopFolder();
    return BindToFolder(AbsoluteId(node).get());
}

// The node's sub-folders, hidden ones included, in the folder's own order; a node without any
// loses its expand button.
void TFolderView::FillChildren(HTREEITEM node) {
    if (filling_ || !node || !NodeId(node)) return;
    const TItemIdList absolute = AbsoluteId(node);
    TComPtr<IShellFolder> folder = NodeFolder(node);
    TComPtr<IEnumIDList> items;
    if (folder) items = EnumerateFolder(folder.get(), absolute.get(), Handle(), SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN);
    if (!items) {
        if (current_) Select(current_);
        return;
    }
    TWaitCursor wait;
    struct TUpdateScope {
        TFolderView& view;
        ~TUpdateScope() { view.EndUpdate(); }
    } update{*this};
    BeginUpdate();
    TFlagScope filling(filling_);
    TComPtr<IShellIcon> icons;
    if (FAILED(folder->QueryInterface(IID_IShellIcon, icons.PutVoid()))) icons.reset();
    bool any = false;
    ForEachItem(items.get(), [&](TItemIdList id) {
        int image = FolderIcon(icons.get(), id.get(), GIL_FORSHELL);
        int open = FolderIcon(icons.get(), id.get(), GIL_FORSHELL | GIL_OPENICON);
        if (image < 0 || open < 0) {
            const TItemIdList child = TItemIdList::Concat(absolute.get(), id.get());
            image = SystemIconIndex(child.get(), SHGFI_SMALLICON);
            open = SystemIconIndex(child.get(), SHGFI_SMALLICON | SHGFI_OPENICON);
        }
        const bool subFolders = AttributesOf(folder.get(), id.get(), SFGAO_HASSUBFOLDER) != 0;
        AddItem(node, DisplayNameOf(folder.get(), id.get(), SHGDN_INFOLDER), image, open, reinterpret_cast<LPARAM>(id.get()),
                subFolders);
        id.release();
        any = true;
    });
    IShellFolder* order = folder.get();
    if (any)
        SortChildren(node, [order](LPARAM a, LPARAM b) {
            return CompareIdsIn(order, reinterpret_cast<LPCITEMIDLIST>(a), reinterpret_cast<LPCITEMIDLIST>(b));
        });
    else
        SetHasChildren(node, false);
}

void TFolderView::FillIfEmpty(HTREEITEM node) {
    if (node && !FirstChild(node) && HasChildren(node)) FillChildren(node);
}

bool TFolderView::CanExpand(HTREEITEM item) {
    FillIfEmpty(item);
    return TTreeView::CanExpand(item);
}

void TFolderView::Change(HTREEITEM item) {
    previous_ = current_;
    current_ = item;
    if (!filling_) ReportSelection();
    TTreeView::Change(item);
}

void TFolderView::ReportSelection() {
    if (fileView_ && current_) fileView_->SetFolder(AbsoluteId(current_).get());
}

// Going back is not repeated: when the previous folder cannot be listed either, the selection
// stays where it is rather than swinging between the two.
void TFolderView::SelectPrevious() {
    if (returning_ || !previous_) return;
    TFlagScope returning(returning_);
    Select(previous_);
}

void TFolderView::ItemDeleted(HTREEITEM item, LPARAM data) {
    CoTaskMemFree(reinterpret_cast<LPITEMIDLIST>(data));
    if (item == current_) current_ = nullptr;
    if (item == previous_) previous_ = nullptr;
    if (OnDeleting) OnDeleting(item);
}

HTREEITEM TFolderView::FindChild(HTREEITEM parent, IShellFolder* folder, LPCITEMIDLIST child) const {
    for (HTREEITEM item = FirstChild(parent); item; item = NextSibling(item))
        if (CompareIdsIn(folder, NodeId(item), child) == 0) return item;
    return nullptr;
}

HTREEITEM TFolderView::FindNode(LPCITEMIDLIST absolute) {
    HTREEITEM node = Root();
    if (!node) return nullptr;
    Expand(node);
    for (LPCITEMIDLIST element = absolute; element && element->mkid.cb; element = NextElementOf(element)) {
        TComPtr<IShellFolder> folder = NodeFolder(node);
        if (!folder) break;
        FillIfEmpty(node);
        Expand(node);
        const TItemIdList first = FirstElementOf(element);
        HTREEITEM child = FindChild(node, folder.get(), first.get());
        if (!child) break;
        node = child;
    }
    return node;
}

void TFolderView::SelectIdList(LPCITEMIDLIST absolute) {
    if (HTREEITEM node = FindNode(absolute)) Select(node);
}

bool TFolderView::SelectPath(const std::wstring& path) {
    const TItemIdList absolute = TItemIdList::FromPath(path);
    if (!absolute) return false;
    SelectIdList(absolute.get());
    return true;
}

std::wstring TFolderView::SelectedPath() const {
    HTREEITEM node = Selected();
    if (!node) return {};
    TComPtr<IShellFolder> desktop = DesktopFolder();
    return DisplayNameOf(desktop.get(), AbsoluteId(node).get(), SHGDN_FORPARSING);
}

void TFolderView::OpenChild(LPCITEMIDLIST child) {
    HTREEITEM node = Selected();
    TComPtr<IShellFolder> folder = NodeFolder(node);
    if (!folder) return;
    FillIfEmpty(node);
    if (HTREEITEM found = FindChild(node, folder.get(), child)) {
        Expand(node);
        Select(found);
    }
}

void TFolderView::ChildNameChange(LPCITEMIDLIST oldId, LPCITEMIDLIST newId) {
    HTREEITEM node = Selected();
    TComPtr<IShellFolder> folder = NodeFolder(node);
    if (!folder) return;
    HTREEITEM child = FindChild(node, folder.get(), oldId);
    if (!child) return;
    SetItemText(child, DisplayNameOf(folder.get(), newId, SHGDN_INFOLDER));
    const TItemIdList replaced(reinterpret_cast<LPITEMIDLIST>(ItemData(child)));
    SetItemData(child, reinterpret_cast<LPARAM>(TItemIdList::CopyOf(newId).release()));
}

bool TFolderView::NotFileSystemFolder() const {
    HTREEITEM node = Selected();
    return !node || node == Root() || PathOfIdList(AbsoluteId(node).get()).empty();
}

bool TFolderView::CanEdit(HTREEITEM item) {
    return item && item != Root() && TTreeView::CanEdit(item);
}

// The parent folder renames the item; the node takes the new id and the name the shell shows for
// it, or keeps the old name when the rename failed.
bool TFolderView::Edited(HTREEITEM item, const std::wstring& text) {
    if (!item || item == Root()) return false;
    TComPtr<IShellFolder> parent = NodeFolder(Parent(item));
    if (!parent) return false;
    const LPCITEMIDLIST oldId = NodeId(item);
    TItemIdList newId;
    if (FAILED(parent->SetNameOf(Handle(), oldId, text.c_str(), SHGDN_INFOLDER, newId.put())) || !newId) {
        SetItemText(item, DisplayNameOf(parent.get(), oldId, SHGDN_INFOLDER));
        return false;
    }
    SetItemText(item, DisplayNameOf(parent.get(), newId.get(), SHGDN_INFOLDER));
    const TItemIdList replaced(reinterpret_cast<LPITEMIDLIST>(ItemData(item)));
    SetItemData(item, reinterpret_cast<LPARAM>(newId.release()));
    TTreeView::Edited(item, text);
    return false;  // the node has its text already
}

void TFolderView::BeginDrag(HTREEITEM item) {
    if (OnDragItem && item && item != Root()) {
        TComPtr<IShellFolder> parent = NodeFolder(Parent(item));
        if (parent) OnDragItem(parent.get(), NodeId(item));
    }
    TTreeView::BeginDrag(item);
}

void TFolderView::RightClick(POINT screen) {
    if (OnContextMenu) {
        POINT client = screen;
        ScreenToClient(Handle(), &client);
        HTREEITEM item = ItemAt(client);
        if (item && item != Root()) {
            Select(item);
            TComPtr<IShellFolder> parent = NodeFolder(Parent(item));
            if (parent) OnContextMenu(parent.get(), NodeId(item), screen);
        }
    }
    TTreeView::RightClick(screen);
}
