// The Windows half of PxDIB: pixel stores in anonymous sections backed by the paging file, GDI
// palettes, and the packed DIB in global memory (CF_DIB clipboard data).
#include "imaging/PxDIB_win.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <vector>

#include "toolkit/GdiGuards_win.h"
#include "toolkit/Handles_win.h"

static_assert(sizeof(TBitmapFileHeader) == sizeof(BITMAPFILEHEADER));
static_assert(offsetof(TBitmapFileHeader, bfOffBits) == offsetof(BITMAPFILEHEADER, bfOffBits));
static_assert(sizeof(TBitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(offsetof(TBitmapInfoHeader, biClrUsed) == offsetof(BITMAPINFOHEADER, biClrUsed));
static_assert(sizeof(TRGBQuad) == sizeof(RGBQUAD) && offsetof(TRGBQuad, rgbRed) == offsetof(RGBQUAD, rgbRed));
static_assert(sizeof(TRGBTriple) == sizeof(RGBTRIPLE));
// GDI takes the header and the colour area as one BITMAPINFO.
static_assert(offsetof(DIBInfos, Colors) == offsetof(DIBInfos, Header) + sizeof(BITMAPINFOHEADER));

namespace {

std::atomic<int64_t> g_stores{0};

// Released stores of 1 MB and more are kept, a few of them, and handed out again for the same size,
// cleared: the first touch of every page of a fresh section costs a page fault, clearing a kept
// one costs a memset. Showing one picture after another of the same size (a folder of photos from
// one camera) then reuses the same stores. Stores in use are listed so that a release can be
// checked against the view it was given.
constexpr uint32_t kKeepFrom = 1u << 20;
constexpr size_t kKeptStores = 3;
constexpr uint64_t kKeptBytes = 256ull << 20;

struct TStoreRecord {
    HANDLE section;
    void* view;
    uint32_t size;
};

class TStoreCache {
public:
    // A kept store of exactly size bytes, cleared, or nothing.
    bool Take(uint32_t size, TStoreRecord& out) {
        std::lock_guard lock(mutex_);
        for (size_t i = 0; i < kept_.size(); ++i) {
            if (kept_[i].size != size) continue;
            out = kept_[i];
            kept_.erase(kept_.begin() + static_cast<ptrdiff_t>(i));
            keptBytes_ -= size;
            live_.push_back(out);
            std::memset(out.view, 0, size);
            return true;
        }
        return false;
    }
    void Lend(const TStoreRecord& store) {
        std::lock_guard lock(mutex_);
        live_.push_back(store);
    }
    enum class TRelease { Kept, ReleaseIt, AlreadyReleased };
    // Keeps a released store when it was lent with this view, making room by handing the stores
    // kept longest to evicted, which the caller releases. ReleaseIt when the caller must release
    // the store itself (not lent, lent with another view, or too large to keep); AlreadyReleased
    // for a store that is kept already, which a second release must not unmap.
    TRelease Keep(HANDLE section, void* view, std::vector<TStoreRecord>& evicted) {
        std::lock_guard lock(mutex_);
        for (const TStoreRecord& k : kept_) {
            if (k.section == section) return TRelease::AlreadyReleased;
        }
        for (size_t i = 0; i < live_.size(); ++i) {
            if (live_[i].section != section) continue;
            const TStoreRecord store = live_[i];
            if (store.view != view) return TRelease::ReleaseIt;
            live_.erase(live_.begin() + static_cast<ptrdiff_t>(i));
            if (store.size > kKeptBytes) return TRelease::ReleaseIt;
            while (!kept_.empty() && (kept_.size() == kKeptStores || keptBytes_ + store.size > kKeptBytes)) {
                evicted.push_back(kept_.front());
                keptBytes_ -= kept_.front().size;
                kept_.erase(kept_.begin());
            }
            kept_.push_back(store);
            keptBytes_ += store.size;
            return TRelease::Kept;
        }
        return TRelease::ReleaseIt;
    }

private:
    std::mutex mutex_;
    std::vector<TStoreRecord> live_, kept_;
    uint64_t keptBytes_ = 0;
};

TStoreCache& StoreCache() {
    static TStoreCache* cache = new TStoreCache;  // kept stores live as long as the process
    return *cache;
}

}  // namespace

TPxFileMap GetFileMap(uint32_t size) {
    TStoreRecord kept;
    if (size >= kKeepFrom && StoreCache().Take(size, kept)) {
        ++g_stores;
        return {kept.section, static_cast<uint8_t*>(kept.view)};
    }
    // A section of zero bytes cannot be made; an empty store still gets one byte.
    TUniqueHandle section(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size ? size : 1, nullptr));
    if (!section) throw EOutOfResources(L"GetFileMap: Cannot Make File Mapping Object");
    void* view = MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, 0);
    if (!view) throw EOutOfResources(L"GetFileMap: Cannot Make View of File Map");
    if (size >= kKeepFrom) StoreCache().Lend({section.get(), view, size});
    ++g_stores;
    return {section.release(), static_cast<uint8_t*>(view)};
}

void ReleaseFileMap(void* handle, void* bits) {
    std::vector<TStoreRecord> evicted;
    const auto release = StoreCache().Keep(handle, bits, evicted);
    if (release == TStoreCache::TRelease::AlreadyReleased) {
        throw EPxDIBAssert(L"ReleaseFileMap: Failed To Unmap View of File map");
    }
    if (release == TStoreCache::TRelease::Kept) {
        --g_stores;
        for (const TStoreRecord& old : evicted) {
            UnmapViewOfFile(old.view);  // kept stores were checked when they were released
            CloseHandle(old.section);
        }
        return;
    }
    if (!UnmapViewOfFile(bits)) throw EPxDIBAssert(L"ReleaseFileMap: Failed To Unmap View of File map");
    if (!CloseHandle(handle)) throw EPxDIBAssert(L"ReleaseFileMap: Failed To Close File Map");
    --g_stores;
}

int64_t PxPixelStoreCount() { return g_stores.load(); }

void PxAdviseLargeBuffer(void*, size_t) noexcept {}

void DeletePxPalette(void* palette) noexcept {
    if (palette) DeleteObject(static_cast<HPALETTE>(palette));
}

HPALETTE GetPaletteFromDIBInfos(const DIBInfos& infos) {
    const uint32_t count = infos.Header.biClrUsed;
    if (count == 0) return nullptr;
    if (count > 256) throw EPxDIBAssert(L"GetPaletteFromDIBInfos: Invalid Color Count");
    TPxTempBuffer buffer(offsetof(LOGPALETTE, palPalEntry) + count * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.Data());
    log->palVersion = 0x300;
    log->palNumEntries = static_cast<WORD>(count);
    for (uint32_t i = 0; i < count; ++i) {
        const TRGBQuad& c = infos.Colors[i];
        // palPalEntry is declared with one element; the buffer holds count of them.
        PALETTEENTRY* entry = &log->palPalEntry[0] + i;
        *entry = PALETTEENTRY{c.rgbRed, c.rgbGreen, c.rgbBlue, 0};
    }
    HPALETTE palette = CreatePalette(log);
    if (!palette) throw EOutOfResources(L"GetPaletteFromDIBInfos: Cannot Make Palette");
    return palette;
}

void TPxInternalDIB::LoadFromClipboardFormat(void* global) {
    TGlobalLock lock(static_cast<HGLOBAL>(global));
    if (!lock.Data()) throw EPxDIBInvalidDIB(L"TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
    LoadFromClipboardData(lock.Data(), GlobalSize(static_cast<HGLOBAL>(global)));
}

void* TPxInternalDIB::SaveToClipboardFormat() const {
    const size_t size = ClipboardDataSize();
    TUniqueGlobal global(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!global) throw EOutOfMemory(L"TPxInternalDIB.SaveToClipboardFormat: Out Of Memory");
    {
        TGlobalLock lock(global.get());
        if (!lock.Data()) throw EOutOfMemory(L"TPxInternalDIB.SaveToClipboardFormat: Out Of Memory");
        SaveToClipboardData({static_cast<uint8_t*>(lock.Data()), size});
    }
    return global.release();
}
