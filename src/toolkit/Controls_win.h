#pragma once
// Thin wrappers of the standard Windows controls. Each is made on a parent (Create) or wraps a
// control of a dialog template (Attach), and raises its notifications as events: std::function
// members named for the event, to which forms attach their handlers.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Handles_win.h"
#include "toolkit/Label.h"
#include "toolkit/Window_win.h"

class TControl : public TWindow {
public:
    using TWindow::Attach;
};

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
    void Create(HWND parent, int id, const RECT& bounds, DWORD style = ES_AUTOHSCROLL);
    std::function<void()> OnChange;

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

class TComboBox : public TControl {
public:
    // style: CBS_DROPDOWNLIST (a choice) or CBS_DROPDOWN (editable).
    void Create(HWND parent, int id, const RECT& bounds, DWORD style = CBS_DROPDOWNLIST);
    int Add(const std::wstring& item);
    void Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }
    int Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }
    std::wstring Item(int index) const;
    int ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }
    void SetItemIndex(int index) { SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    std::function<void()> OnChange;  // a choice from the list, or typing in an editable one

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A list box of text lines, with a single selection.
class TListBox : public TControl {
public:
    // style: further LBS_ styles (LBS_USETABSTOPS and the like).
    void Create(HWND parent, int id, const RECT& bounds, DWORD style = 0);
    int Add(const std::wstring& item);
    void Clear() { SendMessageW(Handle(), LB_RESETCONTENT, 0, 0); }
    int Count() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }
    std::wstring Item(int index) const;
    int ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0)); }
    void SetItemIndex(int index) { SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0); }
};

class TProgressBar : public TControl {
public:
    void Create(HWND parent, int id, const RECT& bounds);
    void SetRange(int low, int high) { SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
    void SetStep(int step) { SendMessageW(Handle(), PBM_SETSTEP, static_cast<WPARAM>(step), 0); }
    void SetPosition(int position) { SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0); }
    int Position() const { return static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)); }
    void StepIt() { SendMessageW(Handle(), PBM_STEPIT, 0, 0); }
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
class TDataListBox : public TControl {
public:
    struct TDrawItem {
        HDC dc;
        int index;
        RECT rect;
        bool selected;
        bool focused;
    };

    void Create(HWND parent, int id, const RECT& bounds, int rowHeight);
    void SetCount(int count);  // keeps no selection
    int Count() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }
    int SelCount() const { return static_cast<int>(SendMessageW(Handle(), LB_GETSELCOUNT, 0, 0)); }
    std::vector<int> SelectedRows() const;
    int FirstSelected() const;  // -1 when none
    bool Selected(int index) const { return SendMessageW(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0; }
    void SetSelected(int index, bool selected);  // index -1: every row
    int FocusedRow() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCARETINDEX, 0, 0)); }
    void SetFocusedRow(int index) { SendMessageW(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE); }
    int TopRow() const { return static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0)); }
    // Stops and resumes drawing around a bulk change; resuming repaints once.
    void BeginUpdate() { SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0); }
    void EndUpdate();
    // The background of the list where no row is drawn; the system's window colour until set.
    void SetColor(COLORREF color);
    COLORREF Color() const { return color_; }

    std::function<void(const TDrawItem&)> OnDrawItem;
    std::function<void()> OnClick;  // the selection changed
    std::function<void()> OnDblClick;
    std::function<void(POINT)> OnRightButtonDown;  // client coordinates

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    COLORREF color_ = GetSysColor(COLOR_WINDOW);
    TUniqueGdiObject brush_;  // null: the system's window brush
};

// A header over a data list box, the list's rows drawn column by column under the sections.
class THeaderListBox : public TWindow {
public:
    void Create(HWND parent, int id, const RECT& bounds, int headerHeight, int rowHeight);
    THeader& Header() { return header_; }
    TDataListBox& List() { return list_; }

protected:
    void OnSize(int width, int height) override;

private:
    int headerHeight_ = 0;
    THeader header_;
    TDataListBox list_;
};

class TListView : public TControl {
public:
    // style: LVS_REPORT, LVS_SMALLICON, ... with LVS_SINGLESEL, LVS_SHOWSELALWAYS and the like.
    void Create(HWND parent, int id, const RECT& bounds, DWORD style);
    void SetViewStyle(DWORD view);  // LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT
    DWORD ViewStyle() const { return static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)) & LVS_TYPEMASK; }
    void SetImageList(HIMAGELIST images, int which) { ListView_SetImageList(Handle(), images, which); }
    void AddColumn(const std::wstring& caption, int width, int format = LVCFMT_LEFT);
    // Adds a row at the end; data is the owner's to interpret.
    int AddItem(const std::wstring& text, int image = -1, LPARAM data = 0);
    void SetSubItem(int index, int column, const std::wstring& text);
    std::wstring ItemText(int index, int column = 0) const;
    LPARAM ItemData(int index) const;
    int Count() const { return ListView_GetItemCount(Handle()); }
    void Clear() { ListView_DeleteAllItems(Handle()); }
    int SelectedIndex() const { return ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); }
    void Select(int index);
    void Sort(PFNLVCOMPARE compare, LPARAM context) { ListView_SortItems(Handle(), compare, context); }
    void BeginUpdate() { SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0); }
    void EndUpdate();

    std::function<void(int)> OnColumnClick;
    std::function<void()> OnChange;  // the selected item changed
    std::function<void()> OnDblClick;

protected:
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

class TTreeView : public TControl {
public:
    ~TTreeView() override;
    void Create(HWND parent, int id, const RECT& bounds,
                DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
    void SetImageList(HIMAGELIST images) { TreeView_SetImageList(Handle(), images, TVSIL_NORMAL); }
    // hasChildren shows the expand button before the children are filled in.
    HTREEITEM AddItem(HTREEITEM parent, const std::wstring& text, int image, int selectedImage, LPARAM data,
                      bool hasChildren);
    void DeleteItem(HTREEITEM item) { TreeView_DeleteItem(Handle(), item); }
    void Clear() { TreeView_DeleteAllItems(Handle()); }
    HTREEITEM Selected() const { return TreeView_GetSelection(Handle()); }
    void Select(HTREEITEM item) { TreeView_SelectItem(Handle(), item); }
    void Expand(HTREEITEM item, bool expand = true) { TreeView_Expand(Handle(), item, expand ? TVE_EXPAND : TVE_COLLAPSE); }
    HTREEITEM Root() const { return TreeView_GetRoot(Handle()); }
    HTREEITEM FirstChild(HTREEITEM item) const { return TreeView_GetChild(Handle(), item); }
    HTREEITEM NextSibling(HTREEITEM item) const { return TreeView_GetNextSibling(Handle(), item); }
    std::wstring ItemText(HTREEITEM item) const;
    LPARAM ItemData(HTREEITEM item) const;

    std::function<void(HTREEITEM)> OnChange;  // the selection moved to the item
    // Before an item opens; answer false to keep it closed. Fill the children here.
    std::function<bool(HTREEITEM)> OnExpanding;
    // An item with data is deleted, also when the control is destroyed, by its owner's destructor
    // or with its parent: free what the data holds. Called once per item.
    std::function<void(HTREEITEM, LPARAM)> OnDeleteItem;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // Hands every item's data to OnDeleteItem and clears it, while this object is whole.
    void ReleaseItemData(HTREEITEM first);
};
