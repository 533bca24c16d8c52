#pragma once
// TFileDrop makes a window accept files dropped from the shell and reports them through an event.
// It serves its Control's window, or with no control the owning form's. It hooks the window with a
// subclass of its own (SetWindowSubclass), beside the window layer's, and unhooks on destruction
// or when the window goes away.
#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Unique.h"

class TWindow;

extern const wchar_t kFileDropNoWindow[];  // "Invalidate Window Handle in FileDrop"

struct TDropTraits {
    using Handle = HDROP;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DragFinish(h); }
};
using TUniqueDrop = TUnique<TDropTraits>;

// The full names a drop handle holds, in the order the shell reports them, each at its whole length.
std::vector<std::wstring> DroppedFiles(HDROP drop);

class TFileDrop {
public:
    // Attaches to the owner's window at once; raises Exception(kFileDropNoWindow) when the owner is
    // not a form with a window.
    explicit TFileDrop(TWindow& owner);
    ~TFileDrop();
    TFileDrop(const TFileDrop&) = delete;
    TFileDrop& operator=(const TFileDrop&) = delete;

    bool Accept() const { return accept_; }
    // Registers or revokes the window as a drop target at once.
    void SetAccept(bool accept);
    TWindow* Control() const { return control_; }
    // Moves to the control's window (none: the owning form's).
    void SetControl(TWindow* control);
    HWND AttachedWindow() const { return attached_; }

    // Sender, number of files, their full names, drop point in the window's client coordinates.
    std::function<void(TFileDrop&, int, const std::vector<std::wstring>&, int, int)> OnFileDrop;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    void Attach();
    void Detach();
    void Dropped(HDROP drop);
    void WindowGone();

    TWindow& owner_;
    TWindow* control_ = nullptr;
    HWND attached_ = nullptr;
    bool accept_ = true;
};
