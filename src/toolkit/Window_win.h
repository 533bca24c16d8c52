#pragma once
// The window base of the user-interface layer. A TWindow owns its HWND: the destructor destroys a
// window that still exists, and a window destroyed by Windows (with its parent) clears the handle
// it left behind. Messages reach the virtual WndProc, whose switch calls named handlers; the static
// procedures catch every exception and hand it to the application's default handler, so nothing
// unwinds through user32.
//
// Windows of the layer's own classes store `this` at WM_NCCREATE in GWLP_USERDATA; standard
// controls are subclassed with the object as reference data. Every wrapped window also carries the
// object in a window property, by which a parent finds the wrapper of a child that notifies it:
// WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM and WM_CTLCOLOR* are passed on to that child's
// Reflected, where it raises its events.
#include <windows.h>

#include <string>

class TWindow {
public:
    TWindow() = default;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    HWND Handle() const { return hwnd_; }
    // The object that wraps hwnd, or null.
    static TWindow* FromHandle(HWND hwnd);

    // Destroys the window while the object is whole, so that its own handlers see WM_DESTROY (the
    // destructor, running after the derived parts are gone, only lets Windows clean up).
    void Destroy();

    int Id() const { return GetDlgCtrlID(hwnd_); }
    void SetBounds(int left, int top, int width, int height);
    RECT Bounds() const;  // in the parent's client coordinates
    RECT ClientRect() const;
    void Show(bool visible = true) { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
    void Hide() { Show(false); }
    bool Visible() const { return IsWindowVisible(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
    bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    std::wstring Text() const;
    void SetText(const std::wstring& text) { SetWindowTextW(hwnd_, text.c_str()); }
    void Invalidate(bool erase = true) { InvalidateRect(hwnd_, nullptr, erase); }
    HFONT Font() const { return reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)); }
    void SetFont(HFONT font) { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

protected:
    // Creates a window of one of the layer's own classes, registering the class on first use.
    // A child gets the id and its parent's font.
    void CreateOwn(const wchar_t* className, UINT classStyle, DWORD style, DWORD exStyle, HWND parent, int id,
                   const std::wstring& text, const RECT& bounds);
    // Creates a standard control (or one of another module) and subclasses it.
    void CreateControl(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, int id,
                       const std::wstring& text = {}, const RECT& bounds = {});
    // Wraps a control that already exists (one of a dialog template); it is destroyed with its parent.
    void Attach(HWND control);

    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    // What Windows does with a message the handlers leave alone.
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);
    // A notification that the parent passes on; true when the wrapper handled it and set result.
    virtual bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Passes a notification on to the wrapper of the child that sent it.
    static bool ReflectToChild(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // Handlers of the base dispatch.
    virtual bool OnCommand(int id, int code, HWND control);  // menus, accelerators, unwrapped controls
    virtual void OnSize(int width, int height);
    virtual void OnPaint(HDC dc);  // own classes only; the background is already erased
    // Registers a window class of the layer once per name; each runs TWindow's dispatch.
    static void RegisterOwnClass(const wchar_t* className, UINT classStyle, HBRUSH background);

private:
    friend class TDialog;
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    void Bind(HWND hwnd);
    void Unbind();

    HWND hwnd_ = nullptr;
    bool subclassed_ = false;
    HFONT font_ = nullptr;  // WM_SETFONT of the layer's own windows; not owned
};
