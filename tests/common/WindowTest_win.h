#pragma once
// Helpers for tests that create real windows: screenshots, counts of the windows and GDI objects
// the process holds, and a scope that lets messages be handled until a condition holds.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Saves what the screen shows of a window (shown, on top) as a PNG under the test program's
// folder, in "screenshots\"; returns the path written.
std::wstring SaveWindowPng(HWND hwnd, const std::wstring& name);
// The same, into the PNG file named.
void SaveWindowPngAs(HWND hwnd, const std::wstring& path);

// The windows of the calling thread: top-level ones with all their descendants, and message-only
// ones.
int CountThreadWindows();

// The GDI objects of the process. GetGuiResources answers 0 under Wine (not implemented there);
// then the count comes from asking GetObjectType about every slot of Wine's per-process handle
// table, a handle's low word being its slot. CountGdiObjectsMethod says which way was used.
int CountGdiObjects();
const char* CountGdiObjectsMethod();

// Handles messages until done() holds or the time runs out; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000);
// Handles the messages now waiting, and those they cause, for a short while.
void PumpFor(DWORD milliseconds);

// Posts a left click at a point of a window's client area (button down, then up).
void PostClick(HWND hwnd, int x, int y);

// Drives a system's modal dialog while the code under test waits in it: runs the steps, one per
// tick of a timer of this thread, on the first shown dialog ("#32770") of the thread that has a
// control with the given id. The last step ends the dialog.
class TDialogDriver {
public:
    // ready, when given, holds the steps back until the dialog says it is ready: a dialog whose
    // start-up lets messages through (the shell's, listing drives) is visible before it is set up.
    TDialogDriver(int controlId, std::vector<std::function<void(HWND)>> steps,
                  std::function<bool(HWND)> ready = {});
    ~TDialogDriver();
    TDialogDriver(const TDialogDriver&) = delete;
    TDialogDriver& operator=(const TDialogDriver&) = delete;
    size_t StepsRun() const { return run_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    int controlId_;
    std::vector<std::function<void(HWND)>> steps_;
    std::function<bool(HWND)> ready_;
    size_t run_ = 0;
    UINT_PTR timer_ = 0;
};

// Runs one step per tick of a thread timer, while the code under test waits in a modal loop.
class TModalSteps {
public:
    explicit TModalSteps(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 40, Tick);
    }
    ~TModalSteps() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    TModalSteps(const TModalSteps&) = delete;
    TModalSteps& operator=(const TModalSteps&) = delete;
    size_t Run() const { return next_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (!current_ || current_->next_ >= current_->steps_.size()) return;
        current_->steps_[current_->next_++]();
    }
    static inline TModalSteps* current_ = nullptr;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

// A window below parent, at any depth, with the control id; null when there is none (also for
// windows of another process).
HWND FindDescendant(HWND parent, int id);
