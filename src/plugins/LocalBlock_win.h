#pragma once
// A local-memory block that a plug-in handed back: owned, locked for as long as the object
// lives, then unlocked and freed. Its contents are untrusted; Bytes() covers exactly the block's
// real size (LocalSize), and nothing may be read beyond it.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

class TLocalBlock {
public:
    TLocalBlock() = default;
    // Takes ownership of h (which may be null) and locks it. Fixed and movable blocks both lock.
    explicit TLocalBlock(HLOCAL h) : handle_(h) {
        if (!h) return;
        data_ = static_cast<const uint8_t*>(LocalLock(h));
        if (data_) size_ = LocalSize(h);
    }
    ~TLocalBlock() {
        if (!handle_) return;
        if (data_) LocalUnlock(handle_);
        LocalFree(handle_);
    }
    TLocalBlock(const TLocalBlock&) = delete;
    TLocalBlock& operator=(const TLocalBlock&) = delete;

    // False when there is no block or it could not be locked.
    explicit operator bool() const { return data_ != nullptr; }
    std::span<const uint8_t> Bytes() const { return {data_, size_}; }
    size_t Size() const { return size_; }
    // The block as ANSI text, up to its first NUL or its end.
    std::string Text() const {
        size_t n = 0;
        while (n < size_ && data_[n] != 0) ++n;
        return std::string(reinterpret_cast<const char*>(data_), n);
    }

private:
    HLOCAL handle_ = nullptr;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};
