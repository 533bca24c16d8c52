#pragma once
// Thin wrappers of the standard Windows controls. Each is made on a parent (Create) or wraps a
// control of a dialog template (Attach), and raises its notifications as events: std::function
// members named for the event, to which forms attach their handlers.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Handles_win.h"
#include "toolkit/Label.h"
#include "toolkit/Window_win.h"

class TControl : public TWindow {
public:
    using TWindow::Attach;
    // Stops and resumes drawing around a bulk change; resuming repaints once. Pairs nest: only
    // the outermost pair stops and resumes.
    void BeginUpdate() {
        if (updateDepth_++ == 0) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    }
    void EndUpdate();

private:
    int updateDepth_ = 0;
};

// A comparison of two items' data for the sorting of list and tree views: negative, zero or
// positive.
using TItemCompare = std::function<int(LPARAM, LPARAM)>;

// A line of static text.
class TLabel : public TControl, public TLabelTarget {
public:
    void Create(HWND parent, int id, const std::wstring& caption, const RECT& bounds, DWORD style = SS_LEFT);
    void SetCaption(const std::wstring& text) override { SetText(text); }
};

class TButton : public TControl {
public:
    void Create(HWND parent, int id, const std::wstring& caption, const RECT& bounds, DWORD style = BS_PUSHBUTTON);
    void Click() { SendMessageW(Handle(), BM_CLICK, 0, 0); }
    std::function<void()> OnClick;

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

class TCheckBox : public TButton {
public:
    void Create(HWND parent, int id, const std::wstring& caption, const RECT& bounds);
    bool Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetChecked(bool checked) { SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }
};

// A group box holding radio buttons, one per item; ItemIndex is the checked one (-1: none).
class TRadioGroup : public TWindow {
public:
    void Create(HWND parent, int id, const std::wstring& caption, const std::vector<std::wstring>& items,
                const RECT& bounds);
    int ItemIndex() const;
    void SetItemIndex(int index);
    HWND Item(int index) const { return buttons_.at(static_cast<size_t>(index)); }
    std::function<void()> OnClick;

protected:
    bool OnCommand(int id, int code, HWND control) override;
    void OnSize(int width, int height) override;

private:
    HWND box_ = nullptr;
    std::vector<HWND> buttons_;  // children of this window, destroyed with it
};

class TEdit : public TControl {
public:
    // exStyle 0 makes a borderless field.
    void Create(HWND parent, int id, const RECT& bounds, DWORD style = ES_AUTOHSCROLL, DWORD exStyle = WS_EX_CLIENTEDGE);
    // The background behind the text, enabled or not; until set, the system's.
    void SetColor(COLORREF color);
    COLORREF Color() const { return color_; }
    std::function<void()> OnChange;

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    COLORREF color_ = GetSysColor(COLOR_WINDOW);
    TUniqueGdiObject brush_;  // null: the system's colours
};

class TComboBox : public TControl {
public:
    // style: CBS_DROPDOWNLIST (a choice) or CBS_DROPDOWN (editable).
    void Create(HWND parent, int id, const RECT& bounds, DWORD style = CBS_DROPDOWNLIST);
    int Add(const std::wstring& item);
    void Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }
    int Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }
    std::wstring Item(int index) const;
    std::vector<std::wstring> Items() const;
    int ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }
    void SetItemIndex(int index) { SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    std::function<void()> OnChange;  // a choice from the list, or typing in an editable one

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A tab control whose tabs switch pages: each page is a child window over the control's display
// area, on which its controls are made; only the selected tab's page is shown.
class TPageControl : public TControl {
public:
    void Create(HWND parent, int id, const RECT& bounds);
    // Adds a tab and its page; the first page added is the one shown.
    TWindow& AddPage(const std::wstring& caption);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TWindow& Page(int index) const { return *pages_.at(static_cast<size_t>(index)); }
    int ActivePageIndex() const { return static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0)); }
    // Selects a tab as a click would, raising OnChange when the page changes.
    void SetActivePageIndex(int index);
    std::function<void()> OnChange;  // another page is shown

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnSize(int width, int height) override;

private:
    class TPage : public TWindow {
    public:
        void Create(HWND parent, const RECT& bounds);
    };
    RECT PageRect() const;
    void ShowActivePage();
    std::vector<std::unique_ptr<TPage>> pages_;  // children of the control, destroyed with it
};

// A row of an owner-drawn list box, to be drawn by its owner.
struct TListDrawItem {
    HDC dc;
    int index;
    RECT rect;
    bool selected;
    bool focused;
};

// What the kinds of list box share: the background colour where no row is drawn, and rows drawn
// by the owner (for a list made with an owner-draw style).
class TListBoxBase : public TControl {
public:
    // The system's window colour until set.
    void SetColor(COLORREF color);
    COLORREF Color() const { return color_; }
    std::function<void(const TListDrawItem&)> OnDrawItem;

protected:
    // The colour and drawing notifications; true when handled.
    bool ReflectPainting(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

private:
    COLORREF color_ = GetSysColor(COLOR_WINDOW);
    TUniqueGdiObject brush_;  // null: the system's window brush
};

// A list box of text lines, with a single selection.
class TListBox : public TListBoxBase {
public:
    // style: further LBS_ styles (LBS_USETABSTOPS, LBS_OWNERDRAWFIXED and the like).
    void Create(HWND parent, int id, const RECT& bounds, DWORD style = 0);
    int Add(const std::wstring& item);
    void Clear() { SendMessageW(Handle(), LB_RESETCONTENT, 0, 0); }
    int Count() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }
    std::wstring Item(int index) const;
    int ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0)); }
    void SetItemIndex(int index) { SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    // Pixels from the top of one row to the next.
    void SetRowHeight(int height) { SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, height); }

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        return ReflectPainting(msg, wp, lp, result);
    }
};

// A progress bar that keeps its position itself and tells the control only when the bar it draws
// would change, and not more often than the eye can follow: stepping once per item of a long list
// then costs no repaint per item.
class TProgressBar : public TControl {
public:
    void Create(HWND parent, int id, const RECT& bounds);
    void SetRange(int low, int high);
    void SetStep(int step) { step_ = step; }
    void SetPosition(int position);
    int Position() const { return position_; }
    void StepIt();

private:
    // The pixels of the bar that a position fills.
    int Filled(int position) const;
    void Show(bool always);
    int low_ = 0;
    int high_ = 100;
    int step_ = 10;
    int position_ = 0;
    int shown_ = -1;  // the position the control has
    DWORD shownAt_ = 0;
};

// A status bar with panels of fixed widths (the last one takes the rest).
class TStatusBar : public TControl {
public:
    void Create(HWND parent, int id, const std::vector<int>& panelWidths);
    void SetPanelText(int panel, const std::wstring& text);
    std::wstring PanelText(int panel) const;
    RECT PanelRect(int panel) const;
    // A panel as a label, for a status line or a stop watch.
    class TPanelLabel : public TLabelTarget {
    public:
        TPanelLabel(TStatusBar& bar, int panel) : bar_(bar), panel_(panel) {}
        void SetCaption(const std::wstring& text) override { bar_.SetPanelText(panel_, text); }

    private:
        TStatusBar& bar_;
        int panel_;
    };
    // Makes a control a child of the bar, placed inside a panel at the given offsets.
    void PlaceInPanel(TWindow& control, int panel, int left, int top, int width, int height);
    // The bar sizes itself along its parent's bottom edge; the parent calls this on WM_SIZE.
    void ParentResized() { SendMessageW(Handle(), WM_SIZE, 0, 0); }
};

// A header control; OnSectionClick gets the section index, OnSectionResize fires while a section's
// width changes.
class THeader : public TControl {
public:
    void Create(HWND parent, int id, const RECT& bounds);
    void AddSection(const std::wstring& caption, int width);
    int SectionCount() const { return static_cast<int>(SendMessageW(Handle(), HDM_GETITEMCOUNT, 0, 0)); }
    int SectionWidth(int index) const;
    void SetSectionWidth(int index, int width);
    std::function<void(int)> OnSectionClick;
    std::function<void()> OnSectionResize;

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A multi-selection list of fixed row height that holds only its row count (a list box with
// LBS_NODATA): the owner keeps the rows and draws each visible one in OnDrawItem. Accessibility
// tools read the count and the selection from the list box itself.
class TDataListBox : public TListBoxBase {
public:
    using TDrawItem = TListDrawItem;

    // multiSelect: rows are chosen with Shift and Ctrl; otherwise one row at most is selected.
    void Create(HWND parent, int id, const RECT& bounds, int rowHeight, bool multiSelect = true);
    void SetCount(int count);  // keeps no selection
    int Count() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }
    int SelCount() const;
    std::vector<int> SelectedRows() const;
    int FirstSelected() const;  // -1 when none
    bool Selected(int index) const { return SendMessageW(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0; }
    void SetSelected(int index, bool selected);  // index -1: every row
    int FocusedRow() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCARETINDEX, 0, 0)); }
    void SetFocusedRow(int index) { SendMessageW(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE); }
    int TopRow() const { return static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0)); }

    // The text of a row, asked by LB_GETTEXT and LB_GETTEXTLEN (which the list itself cannot
    // answer: it holds no strings).
    std::function<std::wstring(int)> OnGetText;
    std::function<void()> OnClick;  // the selection changed
    std::function<void()> OnDblClick;
    std::function<void(POINT)> OnRightButtonDown;  // client coordinates

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool MultiSelect() const { return (GetWindowLongPtrW(Handle(), GWL_STYLE) & LBS_EXTENDEDSEL) != 0; }
};

// A header over a data list box, the list's rows drawn column by column under the sections.
class THeaderListBox : public TWindow {
public:
    void Create(HWND parent, int id, const RECT& bounds, int headerHeight, int rowHeight, bool multiSelect = true);
    THeader& Header() { return header_; }
    TDataListBox& List() { return list_; }
    const TDataListBox& List() const { return list_; }

protected:
    void OnSize(int width, int height) override;

private:
    int headerHeight_ = 0;
    THeader header_;
    TDataListBox list_;
};

// A list view. Its notifications reach protected virtual members, which raise the events; a
// derived control overrides those members and calls them in turn to keep the events.
class TListView : public TControl {
public:
    // style: LVS_REPORT, LVS_SMALLICON, ... with LVS_SINGLESEL, LVS_SHOWSELALWAYS, LVS_EDITLABELS and
    // the like; with LVS_SHAREIMAGELISTS the control leaves its image lists alone when destroyed.
    void Create(HWND parent, int id, const RECT& bounds, DWORD style);
    void SetViewStyle(DWORD view);  // LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT
    DWORD ViewStyle() const { return static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)) & LVS_TYPEMASK; }
    // which: LVSIL_NORMAL or LVSIL_SMALL.
    void SetImageList(HIMAGELIST images, int which) { ListView_SetImageList(Handle(), images, which); }
    HIMAGELIST ImageList(int which) const { return ListView_GetImageList(Handle(), which); }
    void AddColumn(const std::wstring& caption, int width, int format = LVCFMT_LEFT);
    int ColumnCount() const { return Header_GetItemCount(ListView_GetHeader(Handle())); }
    // Adds a row at the end; data is the owner's to interpret.
    int AddItem(const std::wstring& text, int image = -1, LPARAM data = 0);
    void SetSubItem(int index, int column, const std::wstring& text);
    void SetItemText(int index, const std::wstring& text) { SetSubItem(index, 0, text); }
    std::wstring ItemText(int index, int column = 0) const;
    LPARAM ItemData(int index) const;
    void SetItemData(int index, LPARAM data);
    int ItemImage(int index) const;
    // One of the image list's overlay images drawn over the row's image (1-based; 0: none).
    void SetOverlay(int index, int overlay);
    int Overlay(int index) const;
    int Count() const { return ListView_GetItemCount(Handle()); }
    void Clear() { ListView_DeleteAllItems(Handle()); }
    int SelectedIndex() const { return ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); }
    std::vector<int> SelectedIndexes() const;
    void Select(int index);
    // Sorts the rows by their data.
    void Sort(const TItemCompare& compare);
    // Opens the editor on a row's label and returns the edit control.
    HWND EditLabel(int index) { return ListView_EditLabel(Handle(), index); }

    std::function<void(int)> OnColumnClick;
    std::function<void()> OnChange;  // the selected item changed
    std::function<void()> OnDblClick;
    // A label editor is about to open on the row; answer false to keep it closed.
    std::function<bool(int)> OnEditing;
    // The user ended an edit with new text; answer true to let the row take the text.
    std::function<bool(int, const std::wstring&)> OnEdited;
    std::function<void(int)> OnBeginDrag;  // the left button dragged the row
    std::function<void(POINT)> OnRightClick;  // the right button released, screen coordinates

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    virtual void ColumnClick(int column);
    virtual void DblClick();
    virtual bool CanEdit(int index);
    virtual bool Edited(int index, const std::wstring& text);
    virtual void BeginDrag(int index);
    virtual void RightClick(POINT screen);
};

// A tree view. Like the list view, its notifications reach protected virtual members that raise
// the events.
class TTreeView : public TControl {
public:
    ~TTreeView() override;
    // With TVS_EDITLABELS labels can be edited. The control never destroys its image list.
    void Create(HWND parent, int id, const RECT& bounds,
                DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    void SetImageList(HIMAGELIST images) { TreeView_SetImageList(Handle(), images, TVSIL_NORMAL); }
    HIMAGELIST ImageList() const { return TreeView_GetImageList(Handle(), TVSIL_NORMAL); }
    // hasChildren shows the expand button before the children are filled in.
    HTREEITEM AddItem(HTREEITEM parent, const std::wstring& text, int image, int selectedImage, LPARAM data,
                      bool hasChildren);
    void DeleteItem(HTREEITEM item) { TreeView_DeleteItem(Handle(), item); }
    void Clear() { TreeView_DeleteAllItems(Handle()); }
    HTREEITEM Selected() const { return TreeView_GetSelection(Handle()); }
    void Select(HTREEITEM item) { TreeView_SelectItem(Handle(), item); }
    void Expand(HTREEITEM item, bool expand = true) { TreeView_Expand(Handle(), item, expand ? TVE_EXPAND : TVE_COLLAPSE); }
    bool Expanded(HTREEITEM item) const { return (TreeView_GetItemState(Handle(), item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }
    HTREEITEM Root() const { return TreeView_GetRoot(Handle()); }
    HTREEITEM Parent(HTREEITEM item) const { return TreeView_GetParent(Handle(), item); }
    HTREEITEM FirstChild(HTREEITEM item) const { return TreeView_GetChild(Handle(), item); }
    HTREEITEM NextSibling(HTREEITEM item) const { return TreeView_GetNextSibling(Handle(), item); }
    std::wstring ItemText(HTREEITEM item) const;
    void SetItemText(HTREEITEM item, const std::wstring& text);
    LPARAM ItemData(HTREEITEM item) const;
    void SetItemData(HTREEITEM item, LPARAM data);
    // Whether the item shows the expand button (before or after its children are filled in).
    bool HasChildren(HTREEITEM item) const;
    void SetHasChildren(HTREEITEM item, bool hasChildren);
    // Sorts the children of an item (not their children) by their data.
    void SortChildren(HTREEITEM parent, const TItemCompare& compare);
    HTREEITEM ItemAt(POINT client) const;
    RECT ItemRect(HTREEITEM item) const;  // the label's rectangle, client coordinates
    HWND EditLabel(HTREEITEM item) { return TreeView_EditLabel(Handle(), item); }

    std::function<void(HTREEITEM)> OnChange;  // the selection moved to the item
    // Before an item opens; answer false to keep it closed. Fill the children here.
    std::function<bool(HTREEITEM)> OnExpanding;
    // An item with data is deleted, also when the control is destroyed, by its owner's destructor
    // or with its parent: free what the data holds. Called once per item.
    std::function<void(HTREEITEM, LPARAM)> OnDeleteItem;
    // A label editor is about to open on the item; answer false to keep it closed.
    std::function<bool(HTREEITEM)> OnEditing;
    // The user ended an edit with new text; answer true to let the item take the text.
    std::function<bool(HTREEITEM, const std::wstring&)> OnEdited;
    std::function<void(HTREEITEM)> OnBeginDrag;  // the left button dragged the item
    std::function<void(POINT)> OnRightClick;  // the right button released, screen coordinates

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    virtual void Change(HTREEITEM item);
    virtual bool CanExpand(HTREEITEM item);
    // An item with data is going; called once per item, with the data already taken from it.
    virtual void ItemDeleted(HTREEITEM item, LPARAM data);
    virtual bool CanEdit(HTREEITEM item);
    virtual bool Edited(HTREEITEM item, const std::wstring& text);
    virtual void BeginDrag(HTREEITEM item);
    virtual void RightClick(POINT screen);
    // Hands every item's data from first on to ItemDeleted and clears it, while this object is
    // whole; a derived class whose ItemDeleted frees the data calls it from its destructor.
    void ReleaseItemData(HTREEITEM first);
};
