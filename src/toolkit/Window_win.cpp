#include "toolkit/Window_win.h"

#include <commctrl.h>

#include <set>

#include "toolkit/Application_win.h"
#include "toolkit/Exceptions.h"
#include "toolkit/PaintGuards_win.h"

namespace {

const wchar_t kWrapperProp[] = L"VV.TWindow";
const UINT_PTR kSubclassId = 1;

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

}  // namespace

void TWindow::RegisterOwnClass(const wchar_t* className, UINT classStyle, HBRUSH background) {
    static std::set<std::wstring> registered;
    if (registered.count(className)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = LoadIconW(ModuleInstance(), L"MAINICON");
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc)) throw EOutOfResources(L"ウィンドウクラスを登録できません: " + std::wstring(className));
    registered.insert(className);
}

TWindow::~TWindow() {
    if (!hwnd_) return;
    // The derived parts are gone: nothing of this object may see the destruction's messages.
    HWND hwnd = hwnd_;
    Unbind();
    DestroyWindow(hwnd);
}

TWindow* TWindow::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<TWindow*>(GetPropW(hwnd, kWrapperProp)) : nullptr;
}

void TWindow::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void TWindow::SetBounds(int left, int top, int width, int height) {
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TWindow::Bounds() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT TWindow::ClientRect() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r;
}

std::wstring TWindow::Text() const {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TWindow::CreateOwn(const wchar_t* className, UINT classStyle, DWORD style, DWORD exStyle, HWND parent, int id,
                        const std::wstring& text, const RECT& bounds) {
    RegisterOwnClass(className, classStyle, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const bool child = (style & WS_CHILD) != 0;
    HMENU menuOrId = child ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    // StaticWndProc binds the object at WM_NCCREATE, before the handle is returned.
    HWND hwnd = CreateWindowExW(exStyle, className, text.c_str(), style, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, parent, menuOrId,
                                ModuleInstance(), this);
    if (!hwnd) {
        const DWORD error = GetLastError();
        throw EOutOfResources(L"ウィンドウを作成できません: " + std::wstring(className) + L" (" + std::to_wstring(error) + L")");
    }
    if (child && parent) SetFont(reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)));
}

void TWindow::CreateControl(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, int id,
                            const std::wstring& text, const RECT& bounds) {
    HWND hwnd = CreateWindowExW(exStyle, className, text.c_str(), style, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
    if (!hwnd) throw EOutOfResources(L"コントロールを作成できません: " + std::wstring(className));
    Attach(hwnd);
    if (parent) SetFont(reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)));
}

void TWindow::Attach(HWND control) {
    if (!control) throw EOutOfResources(L"コントロールがありません。");
    if (!SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        throw EOutOfResources(L"コントロールをサブクラス化できません。");
    subclassed_ = true;
    Bind(control);
}

void TWindow::Bind(HWND hwnd) {
    hwnd_ = hwnd;
    SetPropW(hwnd, kWrapperProp, this);
}

void TWindow::Unbind() {
    if (!hwnd_) return;
    RemovePropW(hwnd_, kWrapperProp);
    if (subclassed_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    else SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    subclassed_ = false;
    hwnd_ = nullptr;
}

LRESULT CALLBACK TWindow::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        if (self) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->Bind(hwnd);
        }
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK TWindow::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TWindow*>(ref);
    if (!self || self->hwnd_ != hwnd) return DefSubclassProc(hwnd, msg, wp, lp);
    return self->Dispatch(msg, wp, lp);
}

LRESULT TWindow::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    try {
        result = WndProc(msg, wp, lp);
    } catch (...) {
        Application().HandleException();
        result = 0;
    }
    // The window is gone: the object may outlive it (a child destroyed with its parent).
    if (msg == WM_NCDESTROY) Unbind();
    return result;
}

LRESULT TWindow::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    return subclassed_ ? DefSubclassProc(hwnd_, msg, wp, lp) : DefWindowProcW(hwnd_, msg, wp, lp);
}

bool TWindow::ReflectToChild(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND: child = reinterpret_cast<HWND>(lp); break;
    case WM_NOTIFY: child = reinterpret_cast<NMHDR*>(lp)->hwndFrom; break;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (dis->CtlType != ODT_MENU) child = dis->hwndItem;
        break;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mis->CtlType != ODT_MENU) child = GetDlgItem(parent, static_cast<int>(mis->CtlID));
        break;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR: child = reinterpret_cast<HWND>(lp); break;
    default: return false;
    }
    TWindow* wrapper = FromHandle(child);
    if (!wrapper || child == parent) return false;
    return wrapper->Reflected(msg, wp, lp, result);
}

LRESULT TWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToChild(hwnd_, msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_COMMAND:
        if (OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp))) return 0;
        break;
    case WM_SIZE: OnSize(LOWORD(lp), HIWORD(lp)); break;
    case WM_PAINT:
        if (subclassed_) break;
        {
            TPaintDC dc(hwnd_);
            OnPaint(dc.get());
        }
        return 0;
    case WM_SETCURSOR:
        if (Application().Busy()) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_SETFONT:
        if (subclassed_) break;
        font_ = reinterpret_cast<HFONT>(wp);
        if (LOWORD(lp)) Invalidate();
        return 0;
    case WM_GETFONT:
        if (subclassed_) break;
        if (font_) return reinterpret_cast<LRESULT>(font_);
        if (HWND parent = GetParent(hwnd_)) return SendMessageW(parent, WM_GETFONT, 0, 0);
        return reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    return DefaultProc(msg, wp, lp);
}

bool TWindow::Reflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
bool TWindow::OnCommand(int, int, HWND) { return false; }
void TWindow::OnSize(int, int) {}
void TWindow::OnPaint(HDC) {}
