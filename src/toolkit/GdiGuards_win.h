#pragma once
// Scoped GDI and memory pairs: whatever one of these takes is given back when it goes, on every
// way out, exceptions included. Each deletes copying; the device contexts own their handle.
#include <windows.h>

#include "toolkit/Unique.h"

// A device context of a window (or, for a null window, of the screen) from GetDC. It keeps the
// window, since ReleaseDC must be given the same one.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~TWindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
struct TMemoryDCTraits {
    using Handle = HDC;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};
using TMemoryDC = TUnique<TMemoryDCTraits>;

// Selects a GDI object into a device context and selects back the one it replaced. Objects
// selected into a context must outlive the selection, and a context must outlive its selections:
// declare the guard after both.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~TSelectObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

    // False when the object could not be selected.
    explicit operator bool() const { return old_ && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Selects a palette into a device context (as a background palette) and realises it; selects the
// old one back when it goes. A null palette selects nothing.
class TSelectPalette {
public:
    TSelectPalette(HDC dc, HPALETTE palette) : dc_(dc) {
        if (palette) {
            old_ = SelectPalette(dc_, palette, TRUE);
            RealizePalette(dc_);
        }
    }
    ~TSelectPalette() {
        if (old_) SelectPalette(dc_, old_, TRUE);
    }
    TSelectPalette(const TSelectPalette&) = delete;
    TSelectPalette& operator=(const TSelectPalette&) = delete;

private:
    HDC dc_;
    HPALETTE old_ = nullptr;
};

// Holds a global- or local-memory block locked and unlocks it when it goes. The block itself
// belongs to someone else.
template <class Traits>
class TMemoryLock {
public:
    explicit TMemoryLock(HANDLE block) : block_(block), data_(block ? Traits::Lock(block) : nullptr) {}
    ~TMemoryLock() {
        if (data_) Traits::Unlock(block_);
    }
    TMemoryLock(const TMemoryLock&) = delete;
    TMemoryLock& operator=(const TMemoryLock&) = delete;

    // The block's first byte; null when there is no block or it could not be locked.
    void* Data() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    HANDLE block_;
    void* data_;
};

struct TGlobalLockTraits {
    static void* Lock(HGLOBAL h) { return GlobalLock(h); }
    static void Unlock(HGLOBAL h) { GlobalUnlock(h); }
};
using TGlobalLock = TMemoryLock<TGlobalLockTraits>;

struct TLocalLockTraits {
    static void* Lock(HLOCAL h) { return LocalLock(h); }
    static void Unlock(HLOCAL h) { LocalUnlock(h); }
};
using TLocalLock = TMemoryLock<TLocalLockTraits>;
