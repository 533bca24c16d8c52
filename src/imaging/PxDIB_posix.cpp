// The native build's half of PxDIB: pixel stores are anonymous private mappings, which start
// zero-filled like the Windows sections; there are no GDI palettes.
//
// Each store ends against an inaccessible guard page, so that a write or read past the end of a
// picture's bytes faults at once in tests and fuzzing instead of passing unnoticed (the sanitizers
// do not watch mapped memory).
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
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
}  // namespace

TPxFileMap GetFileMap(uint32_t size) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    // Rows are whole 32-bit words: the data keeps that alignment and ends exactly at the guard.
    const size_t data = size ? (size_t{size} + 3) & ~size_t{3} : 4;
    const size_t length = (data + page - 1) / page * page + page;
    auto* mapping = new (std::nothrow) TMapping{};
    if (!mapping) throw EOutOfResources(L"GetFileMap: Cannot Make File Mapping Object");
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
        delete mapping;
        throw EOutOfResources(L"GetFileMap: Cannot Make View of File Map");
    }
    mapping->base = static_cast<uint8_t*>(base);
    mapping->length = length;
    if (mprotect(mapping->base + length - page, page, PROT_NONE) != 0) {
        munmap(base, length);
        delete mapping;
        throw EOutOfResources(L"GetFileMap: Cannot Make View of File Map");
    }
    mapping->bits = mapping->base + length - page - data;
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

void DeletePxPalette(void*) noexcept {}
