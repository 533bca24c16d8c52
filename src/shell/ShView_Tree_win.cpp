// TFolderView, the folder tree of the shell browsing pair (ShView_win.h).
#include "shell/ShView_win.h"

#include <vector>

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

}  // namespace

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
        int image = IconOf(icons.get(), id.get(), GIL_FORSHELL);
        int open = IconOf(icons.get(), id.get(), GIL_FORSHELL | GIL_OPENICON);
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
    // A list that could not show the folder sent the selection back, and that change was reported.
    if (Selected() == item) TTreeView::Change(item);
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
