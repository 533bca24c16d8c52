#pragma once
// The in-memory device-independent bitmap: its record (DIBInfos), its shared storage
// (TPxInternalDIB), the pixel store that holds its bytes, and the BMP and packed-DIB (clipboard)
// readers and writers. Portable: the Windows halves (file mappings, GDI palettes, global memory)
// are in PxDIB_win.cpp and declared in PxDIB_win.h; the native build keeps pixels in anonymous mmap
// regions behind the same functions (PxDIB_posix.cpp).
//
// Every byte that reaches the readers is untrusted: sizes are computed in 64 bits and checked
// against the input before anything is allocated.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/PxConvert.h"
#include "toolkit/Exceptions.h"

class TStream;

static_assert(std::endian::native == std::endian::little, "the BMP structures are read as little-endian memory");

// The Windows structures, spelt out so that portable code needs no <windows.h>. Field names are
// the Windows ones; PxDIB_win.cpp checks that the layouts agree.
#pragma pack(push, 2)
struct TBitmapFileHeader {
    uint16_t bfType;
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(TBitmapFileHeader) == 14);

struct TBitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(TBitmapInfoHeader) == 40);

struct TRGBQuad {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};
static_assert(sizeof(TRGBQuad) == 4);

struct TRGBTriple {
    uint8_t rgbtBlue;
    uint8_t rgbtGreen;
    uint8_t rgbtRed;
};
static_assert(sizeof(TRGBTriple) == 3);

constexpr uint16_t kBitmapFileType = 0x4D42;  // "BM"
// biCompression values.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

// Pixel formats a stored DIB can have. The numeric order matters: the pixel-format conversions
// index their table by it.
enum TPxPixelFormat : uint8_t { pxf1Bit, pxf4Bit, pxf4BitRLE, pxf8Bit, pxf8BitRLE, pxf24Bit };

// Entries of the colour area: 256 for the colour table plus room for the three channel masks of a
// BI_BITFIELDS header while it is read (masks first, the table behind them).
constexpr int kColorAreaEntries = 260;

// One DIB: its pixel store and the BITMAPINFO (header directly followed by the colour area) that
// is handed to GDI unchanged. Every conversion routine takes one record as input and fills another.
struct DIBInfos {
    int32_t BitsSize;      // bytes of pixel data (of compressed data for RLE formats)
    void* SectionHandle;   // the pixel store's handle (see GetFileMap); null when there is none
    uint8_t* Bits;         // first byte of pixel data, in the pixel store
    TBitmapInfoHeader Header;
    TRGBQuad Colors[kColorAreaEntries];

    // Header and colour area as one BITMAPINFO, for GDI.
    const void* BitmapInfo() const { return &Header; }
    void* BitmapInfo() { return &Header; }
};

// The DIB library's exception classes. Messages name the class and operation, then the problem.
VV_EXCEPTION_CLASS(EPxDIBInvalidDIB, Exception);
VV_EXCEPTION_CLASS(EPxDIBInvalidDIBFile, Exception);
VV_EXCEPTION_CLASS(EPxDIBInvalidDIBPara, Exception);
VV_EXCEPTION_CLASS(EPxDIBBadDIBType, Exception);
VV_EXCEPTION_CLASS(EPxDIBInvalidPalette, Exception);
VV_EXCEPTION_CLASS(EPxDIBCompressionFailed, Exception);
VV_EXCEPTION_CLASS(EPxDIBAssert, Exception);

// Bytes of one row of pixels: rows are padded to whole 32-bit words.
constexpr uint64_t RowStride(uint64_t width, uint32_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

// ---- The pixel store -------------------------------------------------------------------------
// Pixel data lives outside the heap, in an anonymous paging-file-backed section (Windows) or an
// anonymous mapping (native build). A new store is zero-filled.

struct TPxFileMap {
    void* Handle;
    uint8_t* Bits;
};

// Takes a store of size bytes (at least one byte is mapped, so that an empty store still has an
// address). Raises EOutOfResources "GetFileMap: Cannot Make File Mapping Object" or
// "GetFileMap: Cannot Make View of File Map".
TPxFileMap GetFileMap(uint32_t size);
// Releases a store taken by GetFileMap; raises EPxDIBAssert when the system refuses.
void ReleaseFileMap(void* handle, void* bits);
// Stores taken by GetFileMap and not released yet, for diagnostics: a conversion that fails must
// leave none of its own behind.
int64_t PxPixelStoreCount();

// Owns one pixel store until it is handed to a DIBInfos record. Move-only; releases the store
// when it goes out of scope still owning it, so that a failed load or conversion leaves nothing.
class TPxPixelStore {
public:
    TPxPixelStore() = default;
    explicit TPxPixelStore(uint32_t size);
    TPxPixelStore(TPxPixelStore&& o) noexcept;
    TPxPixelStore& operator=(TPxPixelStore&& o) noexcept;
    TPxPixelStore(const TPxPixelStore&) = delete;
    TPxPixelStore& operator=(const TPxPixelStore&) = delete;
    ~TPxPixelStore();

    uint8_t* Bits() const { return bits_; }
    uint32_t Size() const { return size_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Hands the store to a record (BitsSize, SectionHandle, Bits); the record owns it from then on.
    void MoveTo(DIBInfos& infos);
    // Takes over the store of a record, whose BitsSize, SectionHandle and Bits are cleared.
    static TPxPixelStore Adopt(DIBInfos& infos);

private:
    void Reset() noexcept;
    void* handle_ = nullptr;
    uint8_t* bits_ = nullptr;
    uint32_t size_ = 0;
};

// Releases the pixel store of a record and clears BitsSize, SectionHandle and Bits.
void FreeDIBInfosBits(DIBInfos& infos);

// ---- Temporary heap buffers --------------------------------------------------------------------
// Row buffers, palette buffers and encoder buffers are counted in one module-wide figure, for
// diagnostics only.

// Bytes of temporary heap buffers alive now, and the most that were alive at once since the last
// ResetPxTempHeapPeak.
int64_t PxTempHeapBytes();
int64_t PxTempHeapPeak();
void ResetPxTempHeapPeak();

// Lets the system back the page-aligned middle of a large heap buffer with huge pages, so that its
// first touch costs one fault per 2 MB instead of one per page (native build; Windows grants large
// pages only to privileged accounts, and there it does nothing). Small buffers are left alone.
void PxAdviseLargeBuffer(void* data, size_t size) noexcept;

// Large temporary buffers (1 MB and more) are kept when released, at most four and 96 MB in all,
// and handed out again, uncleared, for the same size: a conversion repeated on pictures of one
// size then writes to pages the process has already touched instead of fresh ones, whose first
// touch can cost more than the work done on them. The buffer kept longest makes room for a newer
// one. PxKeptTempBytes tells how much is kept; PxDropKeptTempBuffers frees it all.
int64_t PxKeptTempBytes();
void PxDropKeptTempBuffers() noexcept;

// A counted heap buffer of a fixed size, not cleared.
class TPxTempBuffer {
public:
    explicit TPxTempBuffer(size_t size);
    ~TPxTempBuffer();
    TPxTempBuffer(const TPxTempBuffer&) = delete;
    TPxTempBuffer& operator=(const TPxTempBuffer&) = delete;

    uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    uint8_t* data_;
    size_t size_;
};

// ---- The storage -------------------------------------------------------------------------------

// The storage of one picture, shared by reference count between the TPxDIB objects that show it
// and copied by them before any change (copy on write). Holds the DIBInfos record, whose pixel
// store it owns, and a palette handle made on demand from the colour table, which it owns too.
//
// Invariants of a stored DIB: biSize 40, biPlanes 1, biBitCount 1/4/8/24 (16 and 32 are widened
// while loading), biClrUsed <= 256 and for 1/4/8 bits never 0 after loading, biHeight signed
// (negative: rows stored top-down) while Height() is its absolute value. Uncompressed data always
// holds at least RowStride(width, bitCount) x Height() bytes; for encoded data biSizeImage is never
// 0 and never more than the bits size, because GDI reads that many bytes.
class TPxInternalDIB {
public:
    // A 1 x 1 picture of 8 bits per pixel with two black colour-table entries and pixel 0;
    // reference count 1.
    TPxInternalDIB();
    // Frees the pixel store and the palette handle.
    ~TPxInternalDIB();
    TPxInternalDIB(const TPxInternalDIB&) = delete;
    TPxInternalDIB& operator=(const TPxInternalDIB&) = delete;

    // Reference count: 1 when created. The owner that drops it to 0 deletes the storage.
    int32_t RefCount() const { return refCount_; }
    void AddRef() { ++refCount_; }
    int32_t DecRef() { return --refCount_; }

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }  // |biHeight|
    const DIBInfos& Infos() const { return infos_; }
    // For changes in place (colour table, pixels): call UpdatePalette afterwards.
    DIBInfos& Infos() { return infos_; }

    // The cached palette handle (HPALETTE on Windows), null when none has been made.
    void* PaletteHandle() const { return palette_; }
    // Takes over a palette handle; the one held before is deleted.
    void SetPaletteHandle(void* palette);
    // Set whenever the colour table or the picture changed; the owning TPxDIB clears it once it
    // has told the toolkit.
    bool PaletteChanged() const { return paletteChanged_ != 0; }
    void ClearPaletteChanged() { paletteChanged_ = 0; }

    // Replaces the picture with a zero-filled one (black, all-black colour table of colours
    // entries, uncompressed). width > 0, height != 0 (negative: top-down), 0 <= colours <= 256,
    // bitCount 1, 4, 8 or 24; else EPxDIBInvalidDIBPara "TPxInternalDIB.CreateDIB: Invalid Parameters".
    void CreateDIB(int32_t width, int32_t height, int32_t colours, int32_t bitCount);
    // Releases the pixel store and the palette handle; the record then has no pixels.
    void FreeData();
    // Replaces the picture with the given record and takes over its pixel store (the record's
    // store fields are cleared). Asserts, like UpdatePalette, that the storage is not shared.
    void TakeOver(DIBInfos& infos);
    // Drops the cached palette and marks the palette changed. Asserts that the storage is not shared.
    void UpdatePalette();
    // The pixel format of the stored DIB; EPxDIBInvalidDIB for combinations outside the six.
    TPxPixelFormat GetPixelFormat() const;
    // Converts the pixels to another format (PxDIBConvert.cpp). method: 0 = Low, 1 = High colour
    // reduction; keyColor (0x00BBGGRR) becomes index 1 when reducing to 1 bit; progress is called
    // once per leaf of a palette split. On failure the storage keeps its picture.
    void SetPixelsFormat(TPxPixelFormat target, int method, const TPxProgress& progress, uint32_t keyColor);
    // Gives a 24-bit picture a colour table of up to 256 colours made from its pixels, which stay as
    // they are (PxDIBConvert.cpp).
    void CreateTrueColorPalette(int method, const TPxProgress& progress = {});

    // BMP file reader and writer. Reading starts at the stream's position; on failure the storage
    // keeps its previous picture. The writer always writes a 40-byte header, the biClrUsed colour
    // entries (behind the three channel masks if the header says BI_BITFIELDS) and the bits.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    // The record that LoadFromStream would make of the BMP file at the stream's position, read from
    // its headers alone: BitsSize is the size the pixel store would have, and there is no store
    // (SectionHandle and Bits are null). Fails as LoadFromStream fails, short of a read error in
    // the pixel data.
    static DIBInfos ReadBmpInfos(TStream& stream);

    // Packed DIB (header, colour data, pixels), as CF_DIB clipboard data and plug-ins hand it over.
    void LoadFromClipboardData(const void* data, size_t size);
    // Size of the packed DIB that SaveToClipboardData writes: 40 + biClrUsed x 4 + bits size (and
    // 12 bytes of channel masks for a BI_BITFIELDS header).
    size_t ClipboardDataSize() const;
    void SaveToClipboardData(std::span<uint8_t> out) const;

#ifdef _WIN32
    // The same over a global-memory handle (HGLOBAL), locked for the duration (PxDIB_win.cpp).
    void LoadFromClipboardFormat(void* global);
    // A new movable global-memory block with the packed DIB; the caller owns it.
    void* SaveToClipboardFormat() const;
#endif

private:
    struct TBmpLayout;
    static TBmpLayout ReadBmpLayout(TStream& stream);

    int32_t refCount_ = 1;
    int32_t width_ = 0;
    int32_t height_ = 0;
    void* palette_ = nullptr;
    DIBInfos infos_{};
    uint8_t paletteChanged_ = 0;
};

// Deletes a palette handle made by GetPaletteFromDIBInfos (Windows; the native build never makes one).
void DeletePxPalette(void* palette) noexcept;
