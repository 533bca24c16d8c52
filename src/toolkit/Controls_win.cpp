#include "toolkit/Controls_win.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "toolkit/Exceptions.h"

namespace {

const DWORD kChild = WS_CHILD | WS_VISIBLE;

// A brush of one colour for a control's background; raises EOutOfResources when GDI refuses.
TUniqueGdiObject SolidBrush(COLORREF color) {
    TUniqueGdiObject brush(CreateSolidBrush(color));
    if (!brush) throw EOutOfResources(L"ブラシを作成できません。");
    return brush;
}

template <class TEvent, class... TArgs>
void Raise(const TEvent& event, TArgs&&... args) {
    if (event) event(std::forward<TArgs>(args)...);
}

// The sort callback of list and tree views: the comparison travels as the context. Nothing may
// unwind through the control's sort, so a comparison that throws counts as equal.
int CALLBACK CompareThrough(LPARAM a, LPARAM b, LPARAM compare) {
    try {
        return (*reinterpret_cast<const TItemCompare*>(compare))(a, b);
    } catch (...) {
        return 0;
    }
}

// The point of the last message, in screen coordinates: where a NM_RCLICK happened.
POINT MessagePoint() {
    const DWORD pos = GetMessagePos();
    return POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
}

}  // namespace

void TControl::EndUpdate() {
    if (updateDepth_ == 0 || --updateDepth_ > 0) return;
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
}

// ---- TLabel, TButton, TCheckBox

void TLabel::Create(HWND parent, int id, const std::wstring& caption, const RECT& bounds, DWORD style) {
    CreateControl(WC_STATICW, kChild | SS_NOPREFIX | style, 0, parent, id, caption, bounds);
}

void TButton::Create(HWND parent, int id, const std::wstring& caption, const RECT& bounds, DWORD style) {
    CreateControl(WC_BUTTONW, kChild | WS_TABSTOP | style, 0, parent, id, caption, bounds);
}

bool TButton::Reflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
    Raise(OnClick);
    result = 0;
    return true;
}

void TCheckBox::Create(HWND parent, int id, const std::wstring& caption, const RECT& bounds) {
    TButton::Create(parent, id, caption, bounds, BS_AUTOCHECKBOX);
}

// ---- TRadioGroup

void TRadioGroup::Create(HWND parent, int id, const std::wstring& caption, const std::vector<std::wstring>& items,
                         const RECT& bounds) {
    CreateOwn(L"TRadioGroup", 0, kChild | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, parent, id, L"", bounds);
    box_ = CreateWindowExW(0, WC_BUTTONW, caption.c_str(), WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, 0, 0, Handle(),
                           nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    for (size_t i = 0; i < items.size(); ++i) {
        const DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
        HWND button = CreateWindowExW(0, WC_BUTTONW, items[i].c_str(), style, 0, 0, 0, 0, Handle(),
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), GetModuleHandleW(nullptr),
                                      nullptr);
        if (!button) throw EOutOfResources(L"ラジオボタンを作成できません。");
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
        buttons_.push_back(button);
    }
    const RECT r = ClientRect();
    OnSize(r.right, r.bottom);
}

int TRadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (SendMessageW(buttons_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    for (size_t i = 0; i < buttons_.size(); ++i)
        SendMessageW(buttons_[i], BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TRadioGroup::OnCommand(int, int code, HWND control) {
    if (code != BN_CLICKED || !control) return false;
    Raise(OnClick);
    return true;
}

// The items stand one under the other inside the frame.
void TRadioGroup::OnSize(int width, int height) {
    if (!box_) return;
    MoveWindow(box_, 0, 0, width, height, TRUE);
    const int count = static_cast<int>(buttons_.size());
    const int top = 16, bottom = 4;
    const int rowHeight = count > 0 ? (height - top - bottom) / count : 0;
    for (int i = 0; i < count; ++i) MoveWindow(buttons_[static_cast<size_t>(i)], 8, top + i * rowHeight, width - 16, rowHeight, TRUE);
}

// ---- TEdit

void TEdit::Create(HWND parent, int id, const RECT& bounds, DWORD style, DWORD exStyle) {
    CreateControl(WC_EDITW, kChild | WS_TABSTOP | style, exStyle, parent, id, L"", bounds);
}

void TEdit::SetColor(COLORREF color) {
    brush_ = SolidBrush(color);
    color_ = color;
    Invalidate();
}

bool TEdit::Reflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    // A disabled or read-only edit asks for the static colours.
    if ((msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) && brush_) {
        SetBkColor(reinterpret_cast<HDC>(wp), color_);
        result = reinterpret_cast<LRESULT>(brush_.get());
        return true;
    }
    if (msg != WM_COMMAND || HIWORD(wp) != EN_CHANGE) return false;
    Raise(OnChange);
    result = 0;
    return true;
}

// ---- TComboBox

void TComboBox::Create(HWND parent, int id, const RECT& bounds, DWORD style) {
    // The height given is the dropped-down list's.
    CreateControl(WC_COMBOBOXW, kChild | WS_TABSTOP | WS_VSCROLL | style, 0, parent, id, L"", bounds);
}

int TComboBox::Add(const std::wstring& item) {
    const auto index = SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    if (index < 0) throw EOutOfResources(L"項目を追加できません。");
    return static_cast<int>(index);
}

std::vector<std::wstring> TComboBox::Items() const {
    std::vector<std::wstring> items;
    for (int i = 0; i < Count(); ++i) items.push_back(Item(i));
    return items;
}

std::wstring TComboBox::Item(int index) const {
    const auto length = SendMessageW(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

bool TComboBox::Reflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_COMMAND || (HIWORD(wp) != CBN_SELCHANGE && HIWORD(wp) != CBN_EDITCHANGE)) return false;
    Raise(OnChange);
    result = 0;
    return true;
}

// ---- TPageControl

void TPageControl::TPage::Create(HWND parent, const RECT& bounds) {
    // A control parent, so that the dialog keys move into the page's controls.
    CreateOwn(L"TTabSheet", 0, WS_CHILD | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, parent, 0, L"", bounds);
}

void TPageControl::Create(HWND parent, int id, const RECT& bounds) {
    // The pages are the control's children: it must not paint over them.
    CreateControl(WC_TABCONTROLW, kChild | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
                  parent, id, L"", bounds);
}

TWindow& TPageControl::AddPage(const std::wstring& caption) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::wstring text = caption;
    item.pszText = text.data();
    const int index = PageCount();
    if (SendMessageW(Handle(), TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) < 0)
        throw EOutOfResources(L"タブを追加できません。");
    auto page = std::make_unique<TPage>();
    page->Create(Handle(), PageRect());
    pages_.push_back(std::move(page));
    ShowActivePage();
    return *pages_.back();
}

void TPageControl::SetActivePageIndex(int index) {
    if (index == ActivePageIndex()) return;
    SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowActivePage();
    Raise(OnChange);
}

RECT TPageControl::PageRect() const {
    RECT r = ClientRect();
    SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TPageControl::ShowActivePage() {
    const int active = ActivePageIndex();
    for (int i = 0; i < PageCount(); ++i) Page(i).Show(i == active);
}

void TPageControl::OnSize(int, int) {
    const RECT r = PageRect();
    for (const auto& page : pages_) page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool TPageControl::Reflected(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lp)->code != TCN_SELCHANGE) return false;
    ShowActivePage();
    Raise(OnChange);
    result = 0;
    return true;
}

// ---- TListBoxBase, TListBox

void TListBoxBase::SetColor(COLORREF color) {
    brush_ = SolidBrush(color);
    color_ = color;
    Invalidate();
}

bool TListBoxBase::ReflectPainting(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CTLCOLORLISTBOX:
        if (!brush_) return false;
        SetBkColor(reinterpret_cast<HDC>(wp), color_);
        result = reinterpret_cast<LRESULT>(brush_.get());
        return true;
    case WM_DRAWITEM: {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (dis->itemID == static_cast<UINT>(-1)) return false;  // an empty list with the focus
        if (OnDrawItem)
            OnDrawItem(TListDrawItem{dis->hDC, static_cast<int>(dis->itemID), dis->rcItem,
                                     (dis->itemState & ODS_SELECTED) != 0, (dis->itemState & ODS_FOCUS) != 0});
        result = TRUE;
        return true;
    }
    }
    return false;
}

void TListBox::Create(HWND parent, int id, const RECT& bounds, DWORD style) {
    CreateControl(WC_LISTBOXW, kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | style,
                  WS_EX_CLIENTEDGE, parent, id, L"", bounds);
}

int TListBox::Add(const std::wstring& item) {
    const auto index = SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    if (index < 0) throw EOutOfResources(L"項目を追加できません。");
    return static_cast<int>(index);
}

std::wstring TListBox::Item(int index) const {
    const auto length = SendMessageW(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(Handle(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// ---- TProgressBar, TStatusBar

void TProgressBar::Create(HWND parent, int id, const RECT& bounds) {
    CreateControl(PROGRESS_CLASSW, kChild, 0, parent, id, L"", bounds);
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(low_), high_);
}

void TProgressBar::SetRange(int low, int high) {
    low_ = low;
    high_ = high;
    position_ = std::clamp(position_, low_, std::max(low_, high_));
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(low), high);
    Show(true);
}

void TProgressBar::SetPosition(int position) {
    position_ = std::clamp(position, low_, std::max(low_, high_));
    Show(true);
}

void TProgressBar::StepIt() {
    // As the control steps: past the end it starts again from the beginning.
    position_ += step_;
    if (position_ > high_) position_ = low_ + (position_ - high_) % std::max(1, high_ - low_);
    Show(false);
}

int TProgressBar::Filled(int position) const {
    const int64_t range = int64_t{high_} - low_;
    const RECT r = ClientRect();
    return range <= 0 ? 0 : static_cast<int>((int64_t{position} - low_) * (r.right - r.left) / range);
}

void TProgressBar::Show(bool always) {
    // The control is told when the bar it draws grows or shrinks by a pixel, and then not more
    // often than every 30 ms, except for the ends of the range.
    if (!always && shown_ >= 0) {
        if (shown_ == position_ || Filled(shown_) == Filled(position_)) return;
        const bool end = position_ == low_ || position_ == high_;
        if (!end && GetTickCount() - shownAt_ < 30) return;
    }
    SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
    shown_ = position_;
    shownAt_ = GetTickCount();
}

void TStatusBar::Create(HWND parent, int id, const std::vector<int>& panelWidths) {
    CreateControl(STATUSCLASSNAMEW, kChild | SBARS_SIZEGRIP, 0, parent, id);
    std::vector<int> rights;
    int right = 0;
    for (int width : panelWidths) rights.push_back(right += width);
    if (!rights.empty()) rights.back() = -1;
    SendMessageW(Handle(), SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
}

void TStatusBar::SetPanelText(int panel, const std::wstring& text) {
    SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring TStatusBar::PanelText(int panel) const {
    const auto length = LOWORD(SendMessageW(Handle(), SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(Handle(), SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

RECT TStatusBar::PanelRect(int panel) const {
    RECT r{};
    SendMessageW(Handle(), SB_GETRECT, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(&r));
    return r;
}

void TStatusBar::PlaceInPanel(TWindow& control, int panel, int left, int top, int width, int height) {
    const RECT r = PanelRect(panel);
    SetParent(control.Handle(), Handle());
    control.SetBounds(r.left + left, top, width, height);
}

// ---- THeader

void THeader::Create(HWND parent, int id, const RECT& bounds) {
    CreateControl(WC_HEADERW, kChild | HDS_BUTTONS | HDS_HORZ, 0, parent, id, L"", bounds);
}

void THeader::AddSection(const std::wstring& caption, int width) {
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.cxy = width;
    item.fmt = HDF_LEFT | HDF_STRING;
    std::wstring text = caption;
    item.pszText = text.data();
    if (SendMessageW(Handle(), HDM_INSERTITEMW, static_cast<WPARAM>(SectionCount()), reinterpret_cast<LPARAM>(&item)) < 0)
        throw EOutOfResources(L"見出しを追加できません。");
}

int THeader::SectionWidth(int index) const {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    SendMessageW(Handle(), HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return item.cxy;
}

void THeader::SetSectionWidth(int index, int width) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    SendMessageW(Handle(), HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

bool THeader::Reflected(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY) return false;
    const auto* nm = reinterpret_cast<const NMHEADERW*>(lp);
    switch (nm->hdr.code) {
    case HDN_ITEMCLICKW: Raise(OnSectionClick, nm->iItem); break;
    case HDN_ITEMCHANGEDW:
        if (nm->pitem && (nm->pitem->mask & HDI_WIDTH)) Raise(OnSectionResize);
        break;
    default: return false;
    }
    result = 0;
    return true;
}

// ---- TDataListBox, THeaderListBox

void TDataListBox::Create(HWND parent, int id, const RECT& bounds, int rowHeight, bool multiSelect) {
    CreateControl(WC_LISTBOXW,
                  kChild | WS_TABSTOP | WS_VSCROLL | LBS_NODATA | LBS_OWNERDRAWFIXED |
                      (multiSelect ? LBS_EXTENDEDSEL : 0) | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                  WS_EX_CLIENTEDGE, parent, id, L"", bounds);
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, rowHeight);
    // The list holds no strings (LBS_NODATA, fixed at creation), but it answers LB_GETTEXT with
    // the owner's text (OnGetText). The system hands that text to other processes only for a list
    // whose style says it has strings, so the style says so once the list exists.
    SetWindowLongPtrW(Handle(), GWL_STYLE, GetWindowLongPtrW(Handle(), GWL_STYLE) | LBS_HASSTRINGS);
}

void TDataListBox::SetCount(int count) {
    // Without drawing: a list box may grow row by row, updating its scroll bar for each.
    BeginUpdate();
    const LRESULT result = SendMessageW(Handle(), LB_SETCOUNT, static_cast<WPARAM>(count), 0);
    EndUpdate();
    if (result < 0) throw EOutOfMemory(L"一覧の行数を設定できません。");
}

int TDataListBox::SelCount() const {
    if (!MultiSelect()) return SendMessageW(Handle(), LB_GETCURSEL, 0, 0) >= 0 ? 1 : 0;
    return static_cast<int>(SendMessageW(Handle(), LB_GETSELCOUNT, 0, 0));
}

std::vector<int> TDataListBox::SelectedRows() const {
    if (!MultiSelect()) {
        const int row = FirstSelected();
        return row >= 0 ? std::vector<int>{row} : std::vector<int>{};
    }
    std::vector<int> rows(static_cast<size_t>(std::max(SelCount(), 0)));
    if (!rows.empty())
        SendMessageW(Handle(), LB_GETSELITEMS, rows.size(), reinterpret_cast<LPARAM>(rows.data()));
    return rows;
}

int TDataListBox::FirstSelected() const {
    if (!MultiSelect()) return static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0));
    int first = -1;
    if (SelCount() > 0) SendMessageW(Handle(), LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&first));
    return first;
}

void TDataListBox::SetSelected(int index, bool selected) {
    if (!MultiSelect()) {
        // One row at most: selecting a row chooses it, deselecting clears the choice.
        if (selected && index >= 0) SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        else if (!selected && (index < 0 || index == FirstSelected())) SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        return;
    }
    SendMessageW(Handle(), LB_SETSEL, selected, static_cast<LPARAM>(index));
}

LRESULT TDataListBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_RBUTTONDOWN && OnRightButtonDown) {
        OnRightButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    }
    // A row's text, for accessibility and automation tools (and other processes, which the system
    // hands the text to): the owner makes it on request.
    if ((msg == LB_GETTEXTLEN || msg == LB_GETTEXT) && OnGetText) {
        const int index = static_cast<int>(wp);
        if (index < 0 || index >= Count()) return LB_ERR;
        const std::wstring text = OnGetText(index);
        if (msg == LB_GETTEXT && lp) {
            auto* out = reinterpret_cast<wchar_t*>(lp);
            text.copy(out, text.size());
            out[text.size()] = L'\0';
        }
        return static_cast<LRESULT>(text.size());
    }
    return TControl::WndProc(msg, wp, lp);
}

bool TDataListBox::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (ReflectPainting(msg, wp, lp, result)) return true;
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == LBN_SELCHANGE) Raise(OnClick);
        else if (HIWORD(wp) == LBN_DBLCLK) Raise(OnDblClick);
        else return false;
        result = 0;
        return true;
    }
    return false;
}

void THeaderListBox::Create(HWND parent, int id, const RECT& bounds, int headerHeight, int rowHeight, bool multiSelect) {
    headerHeight_ = headerHeight;
    CreateOwn(L"THeaderListBox", 0, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, id, L"", bounds);
    const RECT r = ClientRect();
    header_.Create(Handle(), 1, RECT{0, 0, r.right, headerHeight});
    list_.Create(Handle(), 2, RECT{0, headerHeight, r.right, r.bottom}, rowHeight, multiSelect);
    // Rows are drawn under the sections: a new width moves every column.
    header_.OnSectionResize = [this] { list_.Invalidate(); };
}

void THeaderListBox::OnSize(int width, int height) {
    if (!header_.Handle()) return;
    header_.SetBounds(0, 0, width, headerHeight_);
    list_.SetBounds(0, headerHeight_, width, std::max(height - headerHeight_, 0));
}

// ---- TListView

void TListView::Create(HWND parent, int id, const RECT& bounds, DWORD style) {
    CreateControl(WC_LISTVIEWW, kChild | WS_TABSTOP | style, WS_EX_CLIENTEDGE, parent, id, L"", bounds);
    ListView_SetExtendedListViewStyle(Handle(), LVS_EX_FULLROWSELECT);
}

void TListView::SetViewStyle(DWORD view) {
    const auto style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | view);
}

void TListView::AddColumn(const std::wstring& caption, int width, int format) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = format;
    column.cx = width;
    std::wstring text = caption;
    column.pszText = text.data();
    const int count = Header_GetItemCount(ListView_GetHeader(Handle()));
    if (SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&column)) < 0)
        throw EOutOfResources(L"列を追加できません。");
}

int TListView::AddItem(const std::wstring& text, int image, LPARAM data) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = Count();
    std::wstring copy = text;
    item.pszText = copy.data();
    item.iImage = image;
    item.lParam = data;
    const auto index = SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (index < 0) throw EOutOfResources(L"項目を追加できません。");
    return static_cast<int>(index);
}

void TListView::SetSubItem(int index, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    std::wstring copy = text;
    item.pszText = copy.data();
    SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

std::wstring TListView::ItemText(int index, int column) const {
    wchar_t buffer[1024] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

LPARAM TListView::ItemData(int index) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

void TListView::SetItemData(int index, LPARAM data) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = data;
    SendMessageW(Handle(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int TListView::ItemImage(int index) const {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

void TListView::SetOverlay(int index, int overlay) {
    ListView_SetItemState(Handle(), index, INDEXTOOVERLAYMASK(static_cast<UINT>(overlay)), LVIS_OVERLAYMASK);
}

int TListView::Overlay(int index) const {
    return static_cast<int>((ListView_GetItemState(Handle(), index, LVIS_OVERLAYMASK) & LVIS_OVERLAYMASK) >> 8);
}

std::vector<int> TListView::SelectedIndexes() const {
    std::vector<int> rows;
    for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
        rows.push_back(i);
    return rows;
}

void TListView::Select(int index) {
    ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (index < 0) return;
    ListView_SetItemState(Handle(), index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(Handle(), index, FALSE);
}

void TListView::Sort(const TItemCompare& compare) {
    ListView_SortItems(Handle(), CompareThrough, reinterpret_cast<LPARAM>(&compare));
}

bool TListView::Reflected(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY) return false;
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    result = 0;
    switch (hdr->code) {
    case LVN_COLUMNCLICK: ColumnClick(reinterpret_cast<const NMLISTVIEW*>(lp)->iSubItem); return true;
    case LVN_ITEMCHANGED: {
        const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED)) Raise(OnChange);
        return true;
    }
    case NM_DBLCLK: DblClick(); return true;
    case NM_RCLICK: RightClick(MessagePoint()); return true;
    case LVN_BEGINDRAG: BeginDrag(reinterpret_cast<const NMLISTVIEW*>(lp)->iItem); return true;
    case LVN_BEGINLABELEDITW:
        result = CanEdit(reinterpret_cast<const NMLVDISPINFOW*>(lp)->item.iItem) ? FALSE : TRUE;
        return true;
    case LVN_ENDLABELEDITW: {
        const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(lp);
        // No text: the edit was cancelled.
        result = info->item.pszText && Edited(info->item.iItem, info->item.pszText) ? TRUE : FALSE;
        return true;
    }
    }
    return false;
}

void TListView::ColumnClick(int column) { Raise(OnColumnClick, column); }
void TListView::DblClick() { Raise(OnDblClick); }
bool TListView::CanEdit(int index) { return !OnEditing || OnEditing(index); }
bool TListView::Edited(int index, const std::wstring& text) { return !OnEdited || OnEdited(index, text); }
void TListView::BeginDrag(int index) { Raise(OnBeginDrag, index); }
void TListView::RightClick(POINT screen) { Raise(OnRightClick, screen); }

// ---- TTreeView

TTreeView::~TTreeView() {
    if (Handle()) ReleaseItemData(Root());
}

void TTreeView::Create(HWND parent, int id, const RECT& bounds, DWORD style) {
    CreateControl(WC_TREEVIEWW, kChild | WS_TABSTOP | style, WS_EX_CLIENTEDGE, parent, id, L"", bounds);
}

HTREEITEM TTreeView::AddItem(HTREEITEM parent, const std::wstring& text, int image, int selectedImage, LPARAM data,
                             bool hasChildren) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    std::wstring copy = text;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | (image >= 0 ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
    insert.item.pszText = copy.data();
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.lParam = data;
    insert.item.cChildren = hasChildren ? 1 : 0;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) throw EOutOfResources(L"項目を追加できません。");
    return item;
}

std::wstring TTreeView::ItemText(HTREEITEM item) const {
    wchar_t buffer[1024] = L"";
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return buffer;
}

void TTreeView::SetItemText(HTREEITEM item, const std::wstring& text) {
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    std::wstring copy = text;
    tv.pszText = copy.data();
    SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

LPARAM TTreeView::ItemData(HTREEITEM item) const {
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return tv.lParam;
}

void TTreeView::SetItemData(HTREEITEM item, LPARAM data) {
    TVITEMW tv{};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    tv.lParam = data;
    SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

bool TTreeView::HasChildren(HTREEITEM item) const {
    TVITEMW tv{};
    tv.mask = TVIF_CHILDREN;
    tv.hItem = item;
    SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return tv.cChildren != 0;
}

void TTreeView::SetHasChildren(HTREEITEM item, bool hasChildren) {
    TVITEMW tv{};
    tv.mask = TVIF_CHILDREN;
    tv.hItem = item;
    tv.cChildren = hasChildren ? 1 : 0;
    SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

void TTreeView::SortChildren(HTREEITEM parent, const TItemCompare& compare) {
    TVSORTCB sort{};
    sort.hParent = parent;
    sort.lpfnCompare = CompareThrough;
    sort.lParam = reinterpret_cast<LPARAM>(&compare);
    TreeView_SortChildrenCB(Handle(), &sort, FALSE);
}

HTREEITEM TTreeView::ItemAt(POINT client) const {
    TVHITTESTINFO hit{};
    hit.pt = client;
    HTREEITEM item = TreeView_HitTest(Handle(), &hit);
    return (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

RECT TTreeView::ItemRect(HTREEITEM item) const {
    RECT r{};
    TreeView_GetItemRect(Handle(), item, &r, TRUE);
    return r;
}

void TTreeView::ReleaseItemData(HTREEITEM first) {
    for (HTREEITEM item = first; item; item = NextSibling(item)) {
        ReleaseItemData(FirstChild(item));
        if (const LPARAM data = ItemData(item)) {
            SetItemData(item, 0);
            ItemDeleted(item, data);
        }
    }
}

LRESULT TTreeView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // The parent may be going away already and could no longer pass the deletions on.
    if (msg == WM_DESTROY) ReleaseItemData(Root());
    return TControl::WndProc(msg, wp, lp);
}

bool TTreeView::Reflected(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY) return false;
    const auto* nm = reinterpret_cast<const NMTREEVIEWW*>(lp);
    result = 0;
    switch (nm->hdr.code) {
    case TVN_SELCHANGEDW: Change(nm->itemNew.hItem); return true;
    case TVN_ITEMEXPANDINGW:
        if (nm->action == TVE_EXPAND) result = CanExpand(nm->itemNew.hItem) ? FALSE : TRUE;
        return true;
    case TVN_DELETEITEMW:
        if (nm->itemOld.lParam) ItemDeleted(nm->itemOld.hItem, nm->itemOld.lParam);
        return true;
    case TVN_BEGINDRAGW: BeginDrag(nm->itemNew.hItem); return true;
    case NM_RCLICK: RightClick(MessagePoint()); return true;
    case TVN_BEGINLABELEDITW:
        result = CanEdit(reinterpret_cast<const NMTVDISPINFOW*>(lp)->item.hItem) ? FALSE : TRUE;
        return true;
    case TVN_ENDLABELEDITW: {
        const auto* info = reinterpret_cast<const NMTVDISPINFOW*>(lp);
        // No text: the edit was cancelled.
        result = info->item.pszText && Edited(info->item.hItem, info->item.pszText) ? TRUE : FALSE;
        return true;
    }
    }
    return false;
}

void TTreeView::Change(HTREEITEM item) { Raise(OnChange, item); }
bool TTreeView::CanExpand(HTREEITEM item) { return !OnExpanding || OnExpanding(item); }
void TTreeView::ItemDeleted(HTREEITEM item, LPARAM data) { Raise(OnDeleteItem, item, data); }
bool TTreeView::CanEdit(HTREEITEM item) { return !OnEditing || OnEditing(item); }
bool TTreeView::Edited(HTREEITEM item, const std::wstring& text) { return !OnEdited || OnEdited(item, text); }
void TTreeView::BeginDrag(HTREEITEM item) { Raise(OnBeginDrag, item); }
void TTreeView::RightClick(POINT screen) { Raise(OnRightClick, screen); }
