#pragma once
// The clipboard, open for the life of the object (owned by no window) and closed when it goes.
#include <windows.h>

class TClipboardSession {
public:
    TClipboardSession() : open_(OpenClipboard(nullptr) != FALSE) {}
    ~TClipboardSession() {
        if (open_) CloseClipboard();
    }
    TClipboardSession(const TClipboardSession&) = delete;
    TClipboardSession& operator=(const TClipboardSession&) = delete;
    // False when another program holds the clipboard open.
    bool IsOpen() const { return open_; }

private:
    bool open_;
};
