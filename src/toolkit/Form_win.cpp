#include "toolkit/Form_win.h"

#include "toolkit/Application_win.h"
#include "toolkit/Exceptions.h"
#include "toolkit/UiText.h"

void EnableMenuCommand(HMENU menu, int command, bool enabled) {
    EnableMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CheckMenuCommand(HMENU menu, int command, bool checked) {
    CheckMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// ---- THints

THints::THints(HWND owner) : owner_(owner) {
    CreateControl(TOOLTIPS_CLASSW, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, WS_EX_TOPMOST, owner, 0);
    // A maximum width lets "\r\n" break the text into lines.
    SendMessageW(Handle(), TTM_SETMAXTIPWIDTH, 0, 600);
}

void THints::Add(HWND tool, const std::wstring& hint) {
    std::wstring text = HintText(hint);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = text.data();  // the tooltip keeps a copy
    // The tool's own children (the edit of an editable combo box) show the same tip.
    for (HWND w = tool; w; w = w == tool ? GetWindow(tool, GW_CHILD) : GetWindow(w, GW_HWNDNEXT)) {
        ti.uId = reinterpret_cast<UINT_PTR>(w);
        SendMessageW(Handle(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        if (!text.empty() && !SendMessageW(Handle(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)))
            throw EOutOfResources(L"ヒントを登録できません。");
    }
}

std::wstring THints::TipText(HWND tool) const {
    wchar_t buffer[1024] = L"";
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = buffer;
    // TTM_GETTEXTW writes at most 80 characters unless the buffer size is given (comctl32 6).
    SendMessageW(Handle(), TTM_GETTEXTW, static_cast<WPARAM>(std::size(buffer)), reinterpret_cast<LPARAM>(&ti));
    return buffer;
}

// ---- TForm

TForm::~TForm() { Application().FormDestroyed(this); }

void TForm::Create(const wchar_t* className, const std::wstring& caption, int clientWidth, int clientHeight,
                   DWORD style, HWND owner) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    CreateOwn(className, 0, style, 0, owner, 0, caption, RECT{0, 0, r.right - r.left, r.bottom - r.top});
    CenterOnScreen();
}

void TForm::SetClientSize(int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)), Menu() != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::CenterOnScreen() {
    RECT r{};
    GetWindowRect(Handle(), &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0,
                 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TUniqueGdiObject CreateFaceFont(const std::wstring& face, int pixelHeight, int weight, bool italic, BYTE charset) {
    LOGFONTW lf{};
    lf.lfHeight = -pixelHeight;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfCharSet = charset;
    face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    TUniqueGdiObject font(CreateFontIndirectW(&lf));
    if (!font) throw EOutOfResources(L"フォントを作成できません: " + face);
    return font;
}

void TForm::SetFontFace(const std::wstring& face, int pixelHeight, BYTE charset, int weight) {
    TUniqueGdiObject font = CreateFaceFont(face, pixelHeight, weight, false, charset);
    SetFont(static_cast<HFONT>(font.get()));
    font_ = std::move(font);
}

void TForm::LoadMenuResource(int id) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    if (!menu) throw EOutOfResources(L"メニューを読み込めません。");
    RECT client = ClientRect();
    ::SetMenu(Handle(), menu);  // the window destroys its menu bar
    SetClientSize(client.right, client.bottom);
}

void TForm::LoadAcceleratorTable(int id) {
    accel_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    if (!accel_) throw EOutOfResources(L"ショートカットを読み込めません。");
}

THints& TForm::Hints() {
    if (!hints_) hints_ = std::make_unique<THints>(Handle());
    return *hints_;
}

int TForm::ShowModal() {
    HWND owner = GetWindow(Handle(), GW_OWNER);
    const bool reenable = owner && IsWindowEnabled(owner);
    // On every path the owner comes back enabled, before this form hides so that it gets the
    // activation back.
    struct TModalState {
        TForm& form;
        HWND owner;
        bool reenable;
        ~TModalState() {
            form.modal_ = false;
            if (reenable) EnableWindow(owner, TRUE);
        }
    };
    {
        TModalState state{*this, owner, reenable};
        if (owner) EnableWindow(owner, FALSE);
        modal_ = true;
        modalResult_ = mrNone;
        ShowWindow(Handle(), SW_SHOW);
        SetActiveWindow(Handle());
        while (Handle() && modalResult_ == mrNone && Application().HandleMessage()) {
        }
    }
    if (reenable) SetActiveWindow(owner);
    if (Handle()) Hide();
    return modalResult_ == mrNone ? mrCancel : modalResult_;
}

namespace {

// The id of a push button among the window's own controls drawn as the default one; 0 for none.
int DefaultButtonId(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16]{};
        GetClassNameW(child, cls, 16);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (_wcsicmp(cls, L"Button") == 0 && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && (style & WS_VISIBLE))
            return GetDlgCtrlID(child);
    }
    return 0;
}

}  // namespace

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) Application().SetActiveForm(this);
        else if (Application().ActiveForm() == this) Application().SetActiveForm(nullptr);
        if (dialogKeys_) {
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                lastFocus_ = focus && IsChild(Handle(), focus) ? focus : nullptr;
            } else if (!HIWORD(wp)) {  // not while minimised
                HWND focus = lastFocus_ && IsChild(Handle(), lastFocus_) && IsWindowVisible(lastFocus_) &&
                                     IsWindowEnabled(lastFocus_)
                                 ? lastFocus_
                                 : GetNextDlgTabItem(Handle(), nullptr, FALSE);
                if (focus) {
                    SetFocus(focus);
                    return 0;
                }
            }
        }
        break;
    case DM_GETDEFID:
        if (dialogKeys_) {
            if (const int id = DefaultButtonId(Handle())) return MAKELRESULT(id, DC_HASDEFID);
        }
        break;
    case WM_ACTIVATEAPP: Application().ActivationChanged(wp != FALSE); break;
    case WM_CLOSE:
        if (!CloseQuery()) return 0;
        if (modal_) {
            if (modalResult_ == mrNone) modalResult_ = mrCancel;
        } else if (closeAction_ == TCloseAction::caFree || Application().MainForm() == this) {
            DestroyWindow(Handle());
        } else {
            Hide();
        }
        return 0;
    case WM_GETMINMAXINFO:
        if (minTrack_.x > 0) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lp);
            info->ptMinTrackSize = minTrack_;
            return 0;
        }
        break;
    case WM_NCDESTROY: Application().FormDestroyed(this); break;
    }
    return TWindow::WndProc(msg, wp, lp);
}

// ---- TDialog

INT_PTR TDialog::ShowModal(HWND owner) {
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                           StaticDlgProc, reinterpret_cast<LPARAM>(this));
    if (result == -1) throw EOutOfResources(L"ダイアログを作成できません。");
    return result;
}

THints& TDialog::Hints() {
    if (!hints_) hints_ = std::make_unique<THints>(Handle());
    return *hints_;
}

INT_PTR CALLBACK TDialog::StaticDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self && msg == WM_INITDIALOG) {
        self = reinterpret_cast<TDialog*>(lp);
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        self->Bind(hwnd);
    }
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->DlgProc(msg, wp, lp);
    } catch (...) {
        Application().HandleException();
        result = msg == WM_INITDIALOG;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hints_.reset();
        self->Unbind();
    }
    return result;
}

INT_PTR TDialog::DlgProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT reflected = 0;
    if (ReflectToChild(Handle(), msg, wp, lp, reflected)) {
        // Notifications answer through DWLP_MSGRESULT; colour messages return their brush.
        if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) return static_cast<INT_PTR>(reflected);
        SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, reflected);
        return TRUE;
    }
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED || lp == 0) {
            if (LOWORD(wp) == IDOK) {
                OnOK();
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
        }
        return OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
    case WM_SETCURSOR:
        if (Application().Busy()) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- TPopupMenu

TPopupMenu::TPopupMenu(int resourceId) : menu_(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId))) {
    if (!menu_) throw EOutOfResources(L"メニューを読み込めません。");
}

void TPopupMenu::Popup(HWND owner, POINT screen) const {
    TrackPopupMenu(Menu(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
}
