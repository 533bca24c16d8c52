#include "common/WindowTest_win.h"

#include <objbase.h>
#include <wincodec.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "toolkit/Application_win.h"
#include "toolkit/ComPtr_win.h"
#include "toolkit/GdiGuards_win.h"
#include "toolkit/Handles_win.h"
#include "toolkit/WinPath_win.h"

namespace {

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw std::runtime_error(std::string("SaveWindowPng: ") + what);
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(hwnd, CountChild, count);
    return TRUE;
}

}  // namespace

std::wstring SaveWindowPng(HWND hwnd, const std::wstring& name) {
    CreateDirectoryW((ModuleFolder(nullptr) + L"\\screenshots").c_str(), nullptr);
    const std::wstring path = ModuleFolder(nullptr) + L"\\screenshots\\" + name + L".png";
    SaveWindowPngAs(hwnd, path);
    return path;
}

void SaveWindowPngAs(HWND hwnd, const std::wstring& path) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;

    // The screen's pixels into a top-down 32-bit DIB section.
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    TWindowDC screen(nullptr);
    TUniqueGdiObject dib(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib) throw std::runtime_error("SaveWindowPng: CreateDIBSection");
    {
        TMemoryDC memory(CreateCompatibleDC(screen.get()));
        TSelectObject select(memory.get(), dib.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY);
    }
    GdiFlush();
    // BitBlt leaves the fourth byte undefined: the PNG gets opaque pixels.
    auto* pixels = static_cast<BYTE*>(bits);
    for (size_t i = 3; i < static_cast<size_t>(width) * height * 4; i += 4) pixels[i] = 255;

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TComPtr<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(factory.put())),
          "WIC factory");
    TComPtr<IWICStream> stream;
    Check(factory->CreateStream(stream.put()), "stream");
    Check(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE), "file");
    TComPtr<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()), "PNG encoder");
    Check(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache), "encoder");
    TComPtr<IWICBitmapFrameEncode> frame;
    Check(encoder->CreateNewFrame(frame.put(), nullptr), "frame");
    Check(frame->Initialize(nullptr), "frame init");
    Check(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)), "size");
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    Check(frame->SetPixelFormat(&format), "pixel format");
    if (format != GUID_WICPixelFormat32bppBGRA) throw std::runtime_error("SaveWindowPng: PNG encoder wants another format");
    const UINT stride = static_cast<UINT>(width) * 4;
    Check(frame->WritePixels(static_cast<UINT>(height), stride, stride * static_cast<UINT>(height),
                             static_cast<BYTE*>(bits)),
          "pixels");
    Check(frame->Commit(), "frame commit");
    Check(encoder->Commit(), "commit");
}

int CountThreadWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&count));
    for (HWND hwnd = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); hwnd;
         hwnd = FindWindowExW(HWND_MESSAGE, hwnd, nullptr, nullptr)) {
        if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) CountTopLevel(hwnd, reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

namespace {

bool GuiResourcesWork() {
    static const bool works = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) > 0;
    return works;
}

}  // namespace

int CountGdiObjects() {
    if (GuiResourcesWork()) return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    // Wine's table has 16384 slots after the first 32; a handle with a zero high word names its slot
    // whatever the slot's generation.
    int count = 0;
    for (ULONG_PTR slot = 32; slot < 32 + 16384; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++count;
    return count;
}

const char* CountGdiObjectsMethod() { return GuiResourcesWork() ? "GetGuiResources" : "handle table"; }

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Application().ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

void PostClick(HWND hwnd, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

namespace {

TDialogDriver* g_driver = nullptr;

struct TDialogSearch {
    int controlId;
    HWND found;
};

BOOL CALLBACK FindDriven(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<TDialogSearch*>(data);
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(hwnd) || !GetDlgItem(hwnd, search->controlId)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

TDialogDriver::TDialogDriver(int controlId, std::vector<std::function<void(HWND)>> steps,
                             std::function<bool(HWND)> ready)
    : controlId_(controlId), steps_(std::move(steps)), ready_(std::move(ready)) {
    g_driver = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

TDialogDriver::~TDialogDriver() {
    KillTimer(nullptr, timer_);
    g_driver = nullptr;
}

void CALLBACK TDialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    TDialogDriver* self = g_driver;
    if (!self || self->run_ >= self->steps_.size()) return;
    TDialogSearch search{self->controlId_, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindDriven, reinterpret_cast<LPARAM>(&search));
    if (search.found && (!self->ready_ || self->ready_(search.found))) self->steps_[self->run_++](search.found);
}

namespace {

BOOL CALLBACK MatchControlId(HWND hwnd, LPARAM lp) {
    auto* query = reinterpret_cast<std::pair<int, HWND>*>(lp);
    if (GetDlgCtrlID(hwnd) != query->first) return TRUE;
    query->second = hwnd;
    return FALSE;
}

}  // namespace

HWND FindDescendant(HWND parent, int id) {
    std::pair<int, HWND> query(id, nullptr);
    EnumChildWindows(parent, MatchControlId, reinterpret_cast<LPARAM>(&query));
    return query.second;
}
