#pragma once
// A local-memory block that a plug-in handed back: owned, locked for as long as the object
// lives, then unlocked and freed. Its contents are untrusted; Bytes() covers exactly the block's
// real size (LocalSize), and nothing may be read beyond it.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "toolkit/GdiGuards_win.h"
#include "toolkit/Handles_win.h"

class TReceivedBlock {
public:
    // Takes ownership of h (which may be null) and locks it. Fixed and movable blocks both lock.
    explicit TReceivedBlock(HLOCAL h) : block_(h), lock_(h), size_(lock_ ? LocalSize(h) : 0) {}
    TReceivedBlock(const TReceivedBlock&) = delete;
    TReceivedBlock& operator=(const TReceivedBlock&) = delete;

    // False when there is no block or it could not be locked.
    explicit operator bool() const { return static_cast<bool>(lock_); }
    std::span<const uint8_t> Bytes() const { return {Data(), size_}; }
    size_t Size() const { return size_; }
    // The block as ANSI text, up to its first NUL or its end.
    std::string Text() const {
        const auto bytes = Bytes();
        size_t n = 0;
        while (n < bytes.size() && bytes[n] != 0) ++n;
        return std::string(reinterpret_cast<const char*>(bytes.data()), n);
    }

private:
    const uint8_t* Data() const { return static_cast<const uint8_t*>(lock_.Data()); }

    TUniqueLocal block_;  // freed after the lock below is released
    TLocalLock lock_;
    size_t size_;
};
