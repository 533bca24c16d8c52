#pragma once
// A device context to draw on, with the raster operation that pictures are copied with.
#include <windows.h>

class TCanvas {
public:
    explicit TCanvas(HDC dc = nullptr) : dc_(dc) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    virtual ~TCanvas() = default;

    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc) { dc_ = dc; }
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD rop) { copyMode_ = rop; }

private:
    HDC dc_;
    DWORD copyMode_ = SRCCOPY;
};
