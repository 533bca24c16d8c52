#include "toolkit/Application_win.h"

#include <commctrl.h>
#include <objbase.h>

#include "toolkit/Exceptions.h"
#include "toolkit/Form_win.h"
#include "toolkit/Prompt.h"
#include "toolkit/UiText.h"

TApplication& Application() {
    static TApplication application;
    return application;
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (!comInitialized_) comInitialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

int TApplication::Run(TForm& mainForm) {
    mainForm_ = &mainForm;
    mainForm.Show();
    UpdateWindow(mainForm.Handle());
    // Destroying the main form posts WM_QUIT, which ends the loop.
    MSG m{};
    while (GetMessageW(&m, nullptr, 0, 0) > 0) Dispatch(m);
    mainForm_ = nullptr;
    return static_cast<int>(m.wParam);
}

void TApplication::Dispatch(MSG& m) {
    // Keys count for the active form only when they go to it or one of its controls (not to a
    // message box that it owns, say).
    if (TForm* form = activeForm_; form && form->Handle() && (m.hwnd == form->Handle() || IsChild(form->Handle(), m.hwnd))) {
        HWND hwnd = form->Handle();
        if (form->Accelerators() && TranslateAcceleratorW(hwnd, form->Accelerators(), &m)) return;
        if (form->DialogKeys() && IsDialogMessageW(hwnd, &m)) return;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
}

bool TApplication::HandleMessage() {
    MSG m{};
    const BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        PostQuitMessage(static_cast<int>(m.wParam));
        return false;
    }
    Dispatch(m);
    return true;
}

void TApplication::ProcessMessages() {
    MSG m{};
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return;
        }
        Dispatch(m);
    }
}

void TApplication::HandleException() noexcept {
    try {
        CurrentPrompt().Ask(TPromptKind::pkError, ExceptionText(std::current_exception()), TPromptButtons::pbOK);
    } catch (...) {
        // Showing the message failed too (no memory for the box): the program still goes on.
    }
}

void TApplication::FormDestroyed(TForm* form) {
    if (activeForm_ == form) activeForm_ = nullptr;
    if (mainForm_ == form) {
        mainForm_ = nullptr;
        PostQuitMessage(0);
    }
}

void TApplication::ActivationChanged(bool active) {
    // Each top-level window of the thread gets its own WM_ACTIVATEAPP; only the first of a switch counts.
    if (active_ == active) return;
    active_ = active;
    if (!active && OnDeactivate) OnDeactivate();
}

void TApplication::EnterBusy() {
    if (busyCount_++ == 0) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void TApplication::LeaveBusy() {
    // The arrow until the mouse moves and the window under it chooses its cursor again.
    if (--busyCount_ == 0) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

TBusyScope::TBusyScope(HWND window) : window_(window), wasEnabled_(IsWindowEnabled(window) != FALSE) {
    EnableWindow(window_, FALSE);
    Application().EnterBusy();
}

TBusyScope::TBusyScope(const TWindow& window) : TBusyScope(window.Handle()) {}

TBusyScope::~TBusyScope() {
    if (wasEnabled_) EnableWindow(window_, TRUE);
    Application().LeaveBusy();
}
