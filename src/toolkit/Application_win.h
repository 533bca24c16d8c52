#pragma once
// The application object: the program's title, the message loop, handling of pending messages
// during long work, the default exception handler and the busy state.
#include <windows.h>

#include <functional>
#include <string>

class TForm;
class TWindow;

class TApplication {
public:
    TApplication() = default;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Common controls (and COM, which the shell components use) for this thread.
    void Initialize();
    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& title) { title_ = title; }

    // Shows the main form and runs the message loop until the main form is destroyed (or the
    // loop is told to quit); returns the exit code.
    int Run(TForm& mainForm);
    TForm* MainForm() const { return mainForm_; }
    // Handles every message now waiting and returns; a WM_QUIT is left for the loop that runs.
    void ProcessMessages();
    // Gets one message, waiting for it, and handles it; false when it was WM_QUIT (posted again
    // so that the outer loop ends too).
    bool HandleMessage();
    // Translation (the active form's accelerators and dialog keys) and dispatch of one message.
    void Dispatch(MSG& m);

    // The default exception handler, called inside a catch block: shows the exception's message
    // in a modal error box through the prompt, and the program goes on. Never throws.
    void HandleException() noexcept;

    // The form that is active, whose accelerators and dialog keys the loop translates.
    TForm* ActiveForm() const { return activeForm_; }
    void SetActiveForm(TForm* form) { activeForm_ = form; }
    void FormDestroyed(TForm* form);

    bool Busy() const { return busyCount_ > 0; }

    // The application lost the activation to another program: raised once per switch, whichever
    // of the program's windows was active (every top-level form reports WM_ACTIVATEAPP here).
    std::function<void()> OnDeactivate;
    void ActivationChanged(bool active);

private:
    friend class TBusyScope;
    void EnterBusy();
    void LeaveBusy();

    std::wstring title_;
    TForm* mainForm_ = nullptr;
    TForm* activeForm_ = nullptr;
    int busyCount_ = 0;
    bool active_ = false;
    bool comInitialized_ = false;
};

// The one application object of the process.
TApplication& Application();

// Disables a window and shows the hourglass for the scope; undone on every path, exceptions
// included. Scopes nest: an inner scope leaves enabled what the outer one enables again.
class TBusyScope {
public:
    explicit TBusyScope(HWND window);
    explicit TBusyScope(const TWindow& window);
    ~TBusyScope();
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    HWND window_;
    bool wasEnabled_;
};

// Shows the hourglass for the scope, without disabling anything, and puts the cursor that was
// shown before back on every path.
class TWaitCursor {
public:
    TWaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~TWaitCursor() { SetCursor(previous_); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    HCURSOR previous_;
};
