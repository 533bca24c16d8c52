#include "imaging/PxDIB_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "common/TempDir.h"
#include "imaging/BmpBuilder.h"
#include "imaging/PxRLE.h"
#include "toolkit/FileStream.h"
#include "toolkit/Handles_win.h"
#include "toolkit/Streams.h"
#include "toolkit/TextUtil.h"

namespace {

std::string Failure(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const Exception& e) {
        return std::string(e.ClassName()) + ": " + e.what();
    }
    return "";
}

constexpr uint32_t kUntouched = 0x123456;

UINT LockCount(HGLOBAL global) { return GlobalFlags(global) & GMEM_LOCKCOUNT; }

// Draws a DIB with GDI onto a 32-bit top-down DIB section and returns its pixels as 0x00RRGGBB.
std::vector<uint32_t> DrawWithGdi(const DIBInfos& infos, int width, int height) {
    BITMAPINFO target{};
    target.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    target.bmiHeader.biWidth = width;
    target.bmiHeader.biHeight = -height;
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    TUniqueGdiObject section(CreateDIBSection(nullptr, &target, DIB_RGB_COLORS, &bits, nullptr, 0));
    EXPECT_TRUE(section);
    // Pixels that RLE data skips are left alone by GDI: they keep this colour.
    std::fill_n(static_cast<uint32_t*>(bits), width * height, kUntouched);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section.get());
    const int lines = StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, infos.Bits, AsBitmapInfo(infos),
                                    DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(lines, height);
    GdiFlush();
    std::vector<uint32_t> out(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + width * height);
    SelectObject(dc, old);
    DeleteDC(dc);
    for (auto& p : out) p &= 0xFFFFFF;
    return out;
}

}  // namespace

TEST(PxFileMapWin, SectionsAreZeroFilledWritableAndReleasedOnce) {
    TPxFileMap map = GetFileMap(1 << 20);
    ASSERT_NE(map.Bits, nullptr);
    EXPECT_EQ(map.Bits[0] | map.Bits[(1 << 20) - 1], 0);
    map.Bits[12345] = 7;
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(VirtualQuery(map.Bits, &info, sizeof info), 0u);
    EXPECT_EQ(info.Type, static_cast<DWORD>(MEM_MAPPED));  // not heap memory
    ReleaseFileMap(map.Handle, map.Bits);
    EXPECT_EQ(Failure([&] { ReleaseFileMap(map.Handle, map.Bits); }),
              "EPxDIBAssert: ReleaseFileMap: Failed To Unmap View of File map");

    TPxFileMap empty = GetFileMap(0);
    EXPECT_NE(empty.Bits, nullptr);
    ReleaseFileMap(empty.Handle, empty.Bits);
}

TEST(PxFileMapWin, ImpossibleSectionFailsWithOutOfResources) {
    // Nearly 4 GB cannot be mapped into a 32-bit process; a 64-bit test build can map it.
    if (sizeof(void*) > 4) GTEST_SKIP() << "a 64-bit process can map a 4 GB section";
    EXPECT_EQ(Failure([] { GetFileMap(0xFFFFFFF0u); }).rfind("EOutOfResources: GetFileMap: Cannot Make ", 0), 0u);
}

TEST(PaletteWin, BuiltFromTheColourTableAndOwnedByTheStorage) {
    TPxInternalDIB dib;
    dib.CreateDIB(2, 2, 0, 24);
    EXPECT_EQ(GetPaletteFromDIBInfos(dib.Infos()), nullptr);

    dib.CreateDIB(2, 2, 3, 8);
    dib.Infos().Colors[2] = TRGBQuad{30, 20, 10, 99};
    ResetPxTempHeapPeak();
    const int64_t base = PxTempHeapPeak();
    HPALETTE palette = GetPaletteFromDIBInfos(dib.Infos());
    ASSERT_NE(palette, nullptr);
    EXPECT_GT(PxTempHeapPeak(), base);  // the LOGPALETTE was counted
    EXPECT_EQ(PxTempHeapBytes(), 0);    // and freed
    PALETTEENTRY entries[4] = {};
    ASSERT_EQ(GetPaletteEntries(palette, 0, 4, entries), 3u);
    EXPECT_EQ(entries[2].peRed, 10);
    EXPECT_EQ(entries[2].peGreen, 20);
    EXPECT_EQ(entries[2].peBlue, 30);
    EXPECT_EQ(entries[2].peFlags, 0);

    // The storage owns a handle it is given; UpdatePalette deletes it.
    dib.SetPaletteHandle(palette);
    dib.ClearPaletteChanged();
    dib.UpdatePalette();
    EXPECT_EQ(dib.PaletteHandle(), nullptr);
    EXPECT_TRUE(dib.PaletteChanged());
    EXPECT_EQ(GetObjectType(palette), 0u);
}

TEST(ClipboardWin, WritesAndReadsGlobalMemory) {
    for (const auto& sample : BmpSamples()) {
        SCOPED_TRACE(sample.name);
        TMemoryStream in;
        in.LoadFromBuffer(sample.bytes.data(), sample.bytes.size());
        TPxInternalDIB dib;
        dib.LoadFromStream(in);
        TUniqueGlobal global(static_cast<HGLOBAL>(dib.SaveToClipboardFormat()));
        ASSERT_TRUE(global);
        EXPECT_EQ(LockCount(global.get()), 0u);
        ASSERT_GE(GlobalSize(global.get()), dib.ClipboardDataSize());
        {
            const auto* p = static_cast<const uint8_t*>(GlobalLock(global.get()));
            EXPECT_EQ(std::memcmp(p, &dib.Infos().Header, 40), 0);
            GlobalUnlock(global.get());
        }
        TPxInternalDIB back;
        back.LoadFromClipboardFormat(global.get());
        EXPECT_EQ(LockCount(global.get()), 0u);
        TMemoryStream a, b;
        dib.SaveToStream(a);
        back.SaveToStream(b);
        // GlobalAlloc may round the block up; the padding stays zero behind the pixels.
        ASSERT_GE(b.Length(), a.Length());
        EXPECT_EQ(std::memcmp(a.Memory() + 14, b.Memory() + 14, a.Length() - 14), 0);
    }
}

TEST(ClipboardWin, MalformedBlockFailsAndIsUnlocked) {
    TBytes block = BuildPackedDib({.width = 4, .height = 4, .bitCount = 8, .clrUsed = 2, .colors = ColorQuads(2),
                                   .pixels = TBytes(10)});
    TUniqueGlobal global(GlobalAlloc(GMEM_MOVEABLE, block.size()));
    std::memcpy(GlobalLock(global.get()), block.data(), block.size());
    GlobalUnlock(global.get());
    TPxInternalDIB dib;
    EXPECT_EQ(Failure([&] { dib.LoadFromClipboardFormat(global.get()); }),
              "EPxDIBInvalidDIB: TPxInternalDIB.LoadFromClipboardFormat: Clipboard Data Too Short");
    EXPECT_EQ(LockCount(global.get()), 0u);
    EXPECT_EQ(Failure([&] { dib.LoadFromClipboardFormat(nullptr); }),
              "EPxDIBInvalidDIB: TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
    EXPECT_EQ(dib.Width(), 1);
}

TEST(GdiWin, StoredRecordsDrawAsTheDecodersSayTheyShould) {
    // The record is handed to GDI as a BITMAPINFO: GDI must see the same picture as our own decoding.
    for (const char* name : {"rle8_6x3", "8bit_5x4", "8bit_topdown", "4bit_7x5", "16bit_565", "32bit_bitfields",
                             "v4_32bit_bitfields", "core_8bit"}) {
        SCOPED_TRACE(name);
        const TBytes file = BmpSample(name);
        ASSERT_FALSE(file.empty());
        TMemoryStream in;
        in.LoadFromBuffer(file.data(), file.size());
        TPxInternalDIB dib;
        dib.LoadFromStream(in);
        const std::vector<uint32_t> drawn = DrawWithGdi(dib.Infos(), dib.Width(), dib.Height());

        DIBInfos plain = dib.Infos();
        if (plain.Header.biCompression == kBiRle8) {
            Convert8BitRLETo8BitRGB(dib.Infos(), plain);
        }
        const DIBInfos& h = plain;
        const int bits = h.Header.biBitCount;
        const uint64_t stride = RowStride(dib.Width(), bits);
        for (int y = 0; y < dib.Height(); ++y) {
            const int memoryRow = h.Header.biHeight < 0 ? y : dib.Height() - 1 - y;
            const uint8_t* row = h.Bits + memoryRow * stride;
            for (int x = 0; x < dib.Width(); ++x) {
                uint32_t want;
                if (bits == 24) {
                    want = row[x * 3] | row[x * 3 + 1] << 8 | row[x * 3 + 2] << 16;
                } else {
                    const int index = bits == 8 ? row[x] : (x & 1 ? row[x / 2] & 15 : row[x / 2] >> 4);
                    const TRGBQuad& c = h.Colors[index];
                    want = c.rgbBlue | c.rgbGreen << 8 | c.rgbRed << 16;
                }
                const uint32_t got = drawn[y * dib.Width() + x];
                // Our decoder gives skipped pixels index 0, GDI leaves them untouched.
                if (got == kUntouched && dib.Infos().Header.biCompression == kBiRle8 && row[x] == 0) continue;
                ASSERT_EQ(got, want) << "pixel " << x << "," << y;
            }
        }
        if (plain.Bits != dib.Infos().Bits) FreeDIBInfosBits(plain);
    }
}

TEST(FilesWin, LoadAndSaveThroughFileStreams) {
    TTempDir dir;
    const TBytes file = BmpSample("8bit_3colors");  // explicit colour count: written back unchanged
    WriteFileBytes(dir / L"in.bmp", file);
    TPxInternalDIB dib;
    {
        TFileStream in(dir / L"in.bmp", fmOpenRead | fmShareDenyWrite);
        dib.LoadFromStream(in);
    }
    {
        TFileStream out(dir / L"out.bmp", fmCreate);
        dib.SaveToStream(out);
    }
    TFileStream back(dir / L"out.bmp", fmOpenRead);
    EXPECT_EQ(back.Size(), int64_t(file.size()));
    TBytes bytes(file.size());
    back.ReadBuffer(bytes.data(), bytes.size());
    EXPECT_EQ(bytes, file);
}

// Released stores of 1 MB and more are kept and handed out again: a store of the same size comes
// back cleared, a kept store cannot be released twice, and a release with the wrong view still
// fails and leaves the store to be released properly.
TEST(PxFileMapWin, KeptStoresComeBackClearedAndStillRefuseBadReleases) {
    const int64_t stores = PxPixelStoreCount();
    for (const uint32_t size : {1u << 20, (3u << 20) + 4, 36000000u}) {
        SCOPED_TRACE(size);
        for (int round = 0; round < 4; ++round) {
            TPxFileMap map = GetFileMap(size);
            EXPECT_EQ(std::count(map.Bits, map.Bits + size, 0), static_cast<ptrdiff_t>(size)) << round;
            std::memset(map.Bits, 0xA5, size);
            ReleaseFileMap(map.Handle, map.Bits);
            EXPECT_EQ(Failure([&] { ReleaseFileMap(map.Handle, map.Bits); }),
                      "EPxDIBAssert: ReleaseFileMap: Failed To Unmap View of File map");
        }
    }
    TPxFileMap map = GetFileMap(1 << 20);
    int other = 0;
    EXPECT_EQ(Failure([&] { ReleaseFileMap(map.Handle, &other); }),
              "EPxDIBAssert: ReleaseFileMap: Failed To Unmap View of File map");
    ReleaseFileMap(map.Handle, map.Bits);
    EXPECT_EQ(PxPixelStoreCount(), stores);
}
