#pragma once
// Pictures through the Windows Imaging Component: the decoders Windows itself keeps up to date
// (PNG, JPEG, GIF, TIFF, ICO) and any other decoder installed on the machine, except BMP, which
// the program reads itself.
#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <span>
#include <string>
#include <vector>

#include "spi/image/PictureDecoder.h"
#include "toolkit/ComPtr_win.h"

// COM on the calling thread for as long as this object lives. A plug-in runs on its host's
// thread, which may already be in an apartment of either kind, or in none. When it is in one of
// the other kind, COM is usable as it is and this leaves it alone; otherwise this enters a
// single-threaded apartment (or counts once more into the one the thread is in) and leaves it
// again, so that the host's thread is as it was after every call.
class TComScope {
public:
    TComScope();
    ~TComScope();
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;
    // S_OK when COM is usable on this thread; otherwise why not.
    HRESULT Result() const { return result_; }

private:
    HRESULT result_ = E_FAIL;
    bool leave_ = false;  // this call entered the apartment and must leave it
};

// Decodes the first frame of anything an installed decoder other than BMP takes, into the
// plug-in's DIB: grey pictures through 8-bit grey, pictures that can be transparent through
// 32-bit BGRA composed over white, all others through 24-bit BGR.
class TWicPicture : public TPictureDecoder {
public:
    TWicPicture() = default;
    ~TWicPicture() override = default;
    // The data is read until the rows are written.
    TSpiResult Decode(std::span<const uint8_t> data, const TProgress& progress = {}) override;
    TSpiResult WriteBits(uint8_t* dest, const TProgress& progress = {}) override;

private:
    TSpiResult Fail(HRESULT hr) const;
    TSpiResult ChooseOutput(const GUID& pixelFormat, GUID& output);
    HRESULT StartConverter(const GUID& output);

    TComScope com_;  // first: it outlives every interface below
    TComPtr<IWICImagingFactory> factory_;
    TComPtr<IWICStream> stream_;
    TComPtr<IWICBitmapDecoder> decoder_;
    TComPtr<IWICBitmapFrameDecode> frame_;
    TComPtr<IWICFormatConverter> converter_;
    TPixelOrder order_ = TPixelOrder::poBgr;
    TPictureFormat format_ = TPictureFormat::pfUnknown;
};

// True when an installed decoder other than BMP claims the file by its first bytes.
bool WicRecognises(std::span<const uint8_t> head);

struct TWicFormat {
    std::string patterns;     // "*.tif;*.tiff", in the ANSI code page
    std::string description;  // the decoder's own name for its format
};
// The formats of the installed decoders other than BMP, in the order the system lists them.
std::vector<TWicFormat> WicFormats();
