// The native build's half of PxDIB: pixel stores are anonymous private mappings, which start
// zero-filled like the Windows sections; there are no GDI palettes.
//
// Each store ends against an inaccessible guard page, so that a write or read past the end of a
// picture's bytes faults at once in tests and fuzzing instead of passing unnoticed (the sanitizers
// do not watch mapped memory).
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <new>

#include "imaging/PxDIB.h"

namespace {
// munmap needs the whole mapping; the store's handle points to this record.
struct TMapping {
    uint8_t* base;
    size_t length;
    uint8_t* bits;
};

std::atomic<int64_t> g_stores{0};

// Large stores are laid out for transparent huge pages: the writable part starts and ends on a
// 2 MB boundary, so that the kernel can back all of it with huge pages, each faulted in and cleared
// in one go instead of 512 separate first touches. The guard page stays right behind the data.
constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kHugeStoreMin = size_t{1} << 20;

// Maps length writable bytes, aligned to align, followed by one inaccessible guard page.
uint8_t* MapGuarded(size_t length, size_t align, size_t page) {
    const size_t slack = align > page ? align : 0;
    void* raw = mmap(nullptr, length + page + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    auto* base = static_cast<uint8_t*>(raw);
    if (slack) {
        // Trim the reservation to the aligned stretch.
        auto* aligned = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(base) + align - 1) & ~(align - 1));
        if (aligned > base) munmap(base, static_cast<size_t>(aligned - base));
        const size_t after = static_cast<size_t>(base + length + page + slack - (aligned + length + page));
        if (after) munmap(aligned + length + page, after);
        base = aligned;
        madvise(base, length, MADV_HUGEPAGE);  // a hint: where the system grants none, pages stay small
    }
    if (mprotect(base + length, page, PROT_NONE) != 0) {
        munmap(base, length + page);
        return nullptr;
    }
    return base;
}

}  // namespace

TPxFileMap GetFileMap(uint32_t size) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    // Rows are whole 32-bit words: the data keeps that alignment and ends exactly at the guard.
    const size_t data = size ? (size_t{size} + 3) & ~size_t{3} : 4;
    const bool huge = data >= kHugeStoreMin;
    const size_t unit = huge ? kHugePage : page;
    const size_t writable = (data + unit - 1) / unit * unit;
    auto* mapping = new (std::nothrow) TMapping{};
    if (!mapping) throw EOutOfResources(L"GetFileMap: Cannot Make File Mapping Object");
    uint8_t* base = MapGuarded(writable, unit, page);
    if (!base) {
        delete mapping;
        throw EOutOfResources(L"GetFileMap: Cannot Make View of File Map");
    }
    mapping->base = base;
    mapping->length = writable + page;
    mapping->bits = base + writable - data;
    ++g_stores;
    return {mapping, mapping->bits};
}

void ReleaseFileMap(void* handle, void* bits) {
    auto* mapping = static_cast<TMapping*>(handle);
    if (!mapping) throw EPxDIBAssert(L"ReleaseFileMap: Failed To Close File Map");
    if (bits != mapping->bits || munmap(mapping->base, mapping->length) != 0) {
        throw EPxDIBAssert(L"ReleaseFileMap: Failed To Unmap View of File map");
    }
    delete mapping;
    --g_stores;
}

int64_t PxPixelStoreCount() { return g_stores.load(); }

void PxAdviseLargeBuffer(void* data, size_t size) noexcept {
    if (size < 2 * kHugePage) return;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHugePage - 1);
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

void DeletePxPalette(void*) noexcept {}
