#pragma once
// The clipboard, open for the life of the object and closed when it goes. A window that puts data
// on the clipboard opens it as the owner: emptied without one, the clipboard refuses new data.
#include <windows.h>

class TClipboardSession {
public:
    explicit TClipboardSession(HWND owner = nullptr) : open_(OpenClipboard(owner) != FALSE) {}
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
