#include "shell/NewCtrls_win.h"

#include <commctrl.h>

#include "toolkit/Application_win.h"
#include "toolkit/Exceptions.h"
#include "toolkit/Form_win.h"

const wchar_t kFileDropNoWindow[] = L"Invalidate Window Handle in FileDrop";

std::vector<std::wstring> DroppedFiles(HDROP drop) {
    std::vector<std::wstring> files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Asked for its length first: a fixed buffer would cut long paths.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring name(static_cast<size_t>(length) + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), length + 1));
        files.push_back(std::move(name));
    }
    return files;
}

TFileDrop::TFileDrop(TWindow& owner) : owner_(owner) { Attach(); }

TFileDrop::~TFileDrop() { Detach(); }

void TFileDrop::SetAccept(bool accept) {
    accept_ = accept;
    if (attached_) DragAcceptFiles(attached_, accept_);
}

void TFileDrop::SetControl(TWindow* control) {
    Detach();
    control_ = control;
    Attach();
}

void TFileDrop::Attach() {
    Detach();
    HWND target = nullptr;
    if (control_) target = control_->Handle();
    else if (dynamic_cast<TForm*>(&owner_)) target = owner_.Handle();
    if (!target) throw Exception(kFileDropNoWindow);
    if (!SetWindowSubclass(target, SubclassProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
        throw EOutOfResources(kFileDropNoWindow);
    attached_ = target;
    if (accept_) DragAcceptFiles(attached_, TRUE);
}

// Nothing else handles a drop once the hook is gone, and an unhandled drop handle is never freed:
// the window stops being a drop target too.
void TFileDrop::Detach() {
    if (!attached_) return;
    if (IsWindow(attached_)) {
        DragAcceptFiles(attached_, FALSE);
        RemoveWindowSubclass(attached_, SubclassProc, reinterpret_cast<UINT_PTR>(this));
    }
    attached_ = nullptr;
}

void TFileDrop::WindowGone() {
    RemoveWindowSubclass(attached_, SubclassProc, reinterpret_cast<UINT_PTR>(this));
    attached_ = nullptr;
    if (control_) {
        control_ = nullptr;
        accept_ = false;
    }
}

void TFileDrop::Dropped(HDROP drop) {
    TUniqueDrop owned(drop);  // released on every path
    try {
        const std::vector<std::wstring> files = DroppedFiles(drop);
        POINT at{};
        DragQueryPoint(drop, &at);
        if (OnFileDrop) OnFileDrop(*this, static_cast<int>(files.size()), files, at.x, at.y);
    } catch (...) {
        Application().HandleException();
    }
}

LRESULT CALLBACK TFileDrop::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TFileDrop*>(ref);
    switch (msg) {
    case WM_DROPFILES:
        self->Dropped(reinterpret_cast<HDROP>(wp));
        return 0;
    case WM_NCDESTROY: {
        const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        self->WindowGone();
        return result;
    }
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}
