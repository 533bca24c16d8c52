#pragma once
// The picture class of the program. TPxGraphic is a graphic that knows its clipboard format;
// TPxDIB holds one shared DIB storage (TPxInternalDIB): assigning one TPxDIB to another shares the
// storage, and it is copied only when one of them is about to change it (copy on write).
//
// Portable: the Windows parts (drawing, GDI palettes, bitmaps, global memory) are in
// PxGraph_win.cpp; the native build has no display, palette handles or clipboard (PxGraph_posix.cpp).
#include <cstdint>
#include <string>

#include "imaging/PxDIB.h"
#include "toolkit/Graphic.h"

class TPxGraphic : public TGraphic {
public:
    // The clipboard format this class reads and writes.
    virtual uint16_t ClipboardFormat() const = 0;
    // Reads the picture from the clipboard (its data in ClipboardFormat and its CF_PALETTE),
    // closing the clipboard on every path. Windows only.
    void AssignFromClipboard();
};

constexpr uint16_t kCF_DIB = 8;
constexpr uint32_t kWhite = 0xFFFFFF;  // a toolkit colour: 0x00BBGGRR

class TPxDIB : public TPxGraphic {
public:
    TPxDIB();
    ~TPxDIB() override;

    static const TGraphicClass& StaticClass();
    const TGraphicClass& ClassInfo() const override { return StaticClass(); }

    void Assign(const TGraphic* source) override;
    void AssignTo(TGraphic& dest) const override;

    bool GetEmpty() const override;
    int GetWidth() const override;
    int GetHeight() const override;
    // A new size gives a black, uncompressed, bottom-up picture of the same bit count and colour count.
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    TPaletteHandle GetPalette() override;
    // Takes over the palette handle; its entries become the colour table.
    void SetPalette(TPaletteHandle palette) override;

    void Draw(TCanvas& canvas, const TRect& rect) override;

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void LoadFromClipboardFormat(uint16_t format, void* data, TPaletteHandle palette) override;
    void SaveToClipboardFormat(uint16_t& format, void*& data, TPaletteHandle& palette) override;
    uint16_t ClipboardFormat() const override { return kCF_DIB; }
#ifdef _WIN32
    // Reads a bitmap resource (a packed DIB) of a module (an HMODULE; null: the program file).
    // Raises EInvalidGraphic when the module has no such bitmap.
    void LoadFromResourceName(void* module, const wchar_t* name);
#endif

    int GetBitCount() const;
    TPxPixelFormat GetPixelFormat() const;
    // Converts the picture to another pixel format; nothing happens when it has that format
    // already. Colour reductions report their progress through OnProgress (starting, running,
    // ending); on failure the picture is left as it was.
    void SetPixelFormat(TPxPixelFormat format);
    // Gives a 24-bit picture a colour table for palette devices, made with ReductionMethod.
    void CreateTrueColorPalette();

    // Colour reduction: 0 = Low, 1 = High. The colour that becomes index 1 when reducing to 1 bit.
    uint8_t ReductionMethod = 0;
    uint32_t MonochromeColor = kWhite;

    // The storage in use, for the library's own routines and tests.
    const TPxInternalDIB& InternalDIB() const;

protected:
    // Makes the storage private to this picture before an in-place change.
    void UniqueDIB();
    void ReleaseInternalDIB();
    // Tells the toolkit once the storage's colours changed.
    void UpdatePaletteModified();
    TPxInternalDIB& MutableDIB();
    // Replaces the storage with a new one that this picture holds alone.
    void TakeNewDIB(TPxInternalDIB* fresh);

private:
    // Conversions to and from other graphic classes that only exist on Windows.
    bool AssignFromPlatformGraphic(const TGraphic& source);
    bool AssignToPlatformGraphic(TGraphic& dest) const;
    void Require(const wchar_t* message) const;
    // Long conversions: a starting event, a running event per step of the total, an ending event.
    void StartProgress(const wchar_t* message, int32_t total);
    void ProgressStep();
    void EndProgress();

    TPxInternalDIB* internal_ = nullptr;
    int32_t progressPosition_ = 0;
    int32_t progressTotal_ = 0;
    std::wstring progressMessage_;
};
