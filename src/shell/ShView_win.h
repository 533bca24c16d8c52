#pragma once
// The shell browsing pair of the filer pane: TFileView lists one folder of the shell namespace
// (system icons, name, size, type and time, optionally only some extensions), TFolderView shows the
// folders below the desktop, filled as nodes open, and makes an attached file list follow its
// selection.
//
// Both own their item ids: a row's data and a node's data are ids that the control frees. The shell
// context menu and drag source are not built here: the controls hand the folder and the items'
// ids to OnContextMenu and OnDragItems, whose owner shows a menu or starts a drag.
#include <windows.h>

#include <shlobj.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "shell/ItemIdList_win.h"
#include "toolkit/ComPtr_win.h"
#include "toolkit/Controls_win.h"

class TFolderView;

class TFileView : public TListView {
public:
    TFileView() = default;
    ~TFileView() override;

    // Multiple selection and label editing unless the style says otherwise; the four columns and
    // the system's image lists, which the control shares and never destroys.
    void Create(HWND parent, int id, const RECT& bounds, DWORD style = LVS_REPORT | LVS_EDITLABELS | LVS_SHOWSELALWAYS);

    // Shows the folder of an absolute id (a copy is kept); null is ignored. A folder that cannot
    // be bound shows the desktop.
    void SetFolder(LPCITEMIDLIST absolute);
    LPCITEMIDLIST FolderId() const { return folderId_.get(); }
    IShellFolder* Folder() const { return folder_.get(); }
    // Lists the folder again. When it cannot be listed the attached tree goes back to the folder
    // it showed before.
    void Refresh();

    // The relative id of a row (owned by the list).
    LPCITEMIDLIST ItemId(int index) const { return reinterpret_cast<LPCITEMIDLIST>(ItemData(index)); }
    // The full path (parsing name) of the selected item; empty when nothing is selected.
    std::wstring SelectedPath() const;

    // Whether a double click runs an item through the shell.
    bool FileExecute() const { return fileExecute_; }
    void SetFileExecute(bool on) { fileExecute_ = on; }
    // Extensions with their dot (".LZH"); empty shows every item. Takes effect at the next refresh.
    const std::vector<std::wstring>& Mask() const { return mask_; }
    void SetMask(std::vector<std::wstring> mask) { mask_ = std::move(mask); }
    TFolderView* FolderView() const { return tree_; }

    // The direction each column sorts in (+1 ascending, -1 descending), shared by every list; a
    // refresh sets them all back to ascending.
    static int SortDirection(int column) { return sortDirections_.at(static_cast<size_t>(column)); }

    // The right button was released over a selection: the folder, the selected items and the
    // point on the screen.
    std::function<void(IShellFolder*, const std::vector<LPCITEMIDLIST>&, POINT)> OnContextMenu;
    // A drag began on a selection.
    std::function<void(IShellFolder*, const std::vector<LPCITEMIDLIST>&)> OnDragItems;

protected:
    void ColumnClick(int column) override;
    void DblClick() override;
    bool Edited(int index, const std::wstring& text) override;
    void BeginDrag(int index) override;
    void RightClick(POINT screen) override;

private:
    friend class TFolderView;
    void AddRow(IShellIcon* icons, TItemIdList id);
    void SortRows(int column);
    void Execute(LPCITEMIDLIST child);
    std::vector<LPCITEMIDLIST> SelectedIds() const;
    void ClearRows();

    static std::array<int, 4> sortDirections_;
    TComPtr<IShellFolder> folder_;
    TItemIdList folderId_;
    std::vector<TItemIdList> ids_;  // the rows' data
    std::vector<std::wstring> mask_;
    bool fileExecute_ = true;
    TFolderView* tree_ = nullptr;  // set by the tree
};

class TFolderView : public TTreeView {
public:
    TFolderView() = default;
    ~TFolderView() override;

    // Label editing on, no lines at the root; builds the root (the desktop) and selects it.
    void Create(HWND parent, int id, const RECT& bounds,
                DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS | TVS_EDITLABELS);
    // Rebuilds the tree from the desktop, opened one level, and selects it.
    void BuildRoot();

    // The file list that follows the selection (null detaches it); it shows the selected folder
    // at once.
    void SetFileView(TFileView* view);
    TFileView* FileView() const { return fileView_; }

    // Selects the folder of a path parsed through the desktop; false, with the selection left as
    // it was, when the path does not parse.
    bool SelectPath(const std::wstring& path);
    // The full path (parsing name) of the selected folder; empty when nothing is selected.
    std::wstring SelectedPath() const;
    // Selects the node of an absolute id, opening the nodes on the way; where the tree has no node
    // for a part of the id, the deepest node found.
    void SelectIdList(LPCITEMIDLIST absolute);
    // Selects the child of the selected node that has the relative id.
    void OpenChild(LPCITEMIDLIST child);
    // A child of the selected folder was renamed: its node takes the new name and id.
    void ChildNameChange(LPCITEMIDLIST oldId, LPCITEMIDLIST newId);
    // True when nothing or the desktop is selected, or the selected folder has no file-system path.
    bool NotFileSystemFolder() const;
    // Selects again the node that was selected before the current one (the file list asks this
    // when it cannot list the current folder).
    void SelectPrevious();

    // The absolute id of a node: its id and those of its ancestors.
    TItemIdList AbsoluteId(HTREEITEM node) const;
    LPCITEMIDLIST NodeId(HTREEITEM node) const { return reinterpret_cast<LPCITEMIDLIST>(ItemData(node)); }

    // A node was deleted; its id is already freed.
    std::function<void(HTREEITEM)> OnDeleting;
    // The right button was released on a node below the root: its parent folder, its id and the
    // point on the screen. The node is selected first.
    std::function<void(IShellFolder*, LPCITEMIDLIST, POINT)> OnContextMenu;
    // A drag began on a node below the root.
    std::function<void(IShellFolder*, LPCITEMIDLIST)> OnDragItem;

protected:
    void Change(HTREEITEM item) override;
    bool CanExpand(HTREEITEM item) override;
    void ItemDeleted(HTREEITEM item, LPARAM data) override;
    bool CanEdit(HTREEITEM item) override;
    bool Edited(HTREEITEM item, const std::wstring& text) override;
    void BeginDrag(HTREEITEM item) override;
    void RightClick(POINT screen) override;

private:
    TComPtr<IShellFolder> NodeFolder(HTREEITEM node) const;
    void FillChildren(HTREEITEM node);
    // Fills a node that shows the expand button but has no children yet.
    void FillIfEmpty(HTREEITEM node);
    HTREEITEM FindChild(HTREEITEM parent, IShellFolder* folder, LPCITEMIDLIST child) const;
    HTREEITEM FindNode(LPCITEMIDLIST absolute);
    void ReportSelection();

    friend class TFileView;

    TFileView* fileView_ = nullptr;
    bool filling_ = false;  // nodes are rebuilt: no reactions
    bool returning_ = false;  // going back to the previous node
    HTREEITEM current_ = nullptr;
    HTREEITEM previous_ = nullptr;
};
