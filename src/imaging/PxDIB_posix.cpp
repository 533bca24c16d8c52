// The native build's half of PxDIB: pixel stores are anonymous private mappings, which start
// zero-filled like the Windows sections; there are no GDI palettes.
#include <sys/mman.h>

#include <new>

#include "imaging/PxDIB.h"

namespace {
// munmap needs the length; the store's handle points to this record.
struct TMapping {
    void* base;
    size_t length;
};
}  // namespace

TPxFileMap GetFileMap(uint32_t size) {
    auto* mapping = new (std::nothrow) TMapping{nullptr, size ? size : 1u};
    if (!mapping) throw EOutOfResources(L"GetFileMap: Cannot Make File Mapping Object");
    void* base = mmap(nullptr, mapping->length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
        delete mapping;
        throw EOutOfResources(L"GetFileMap: Cannot Make View of File Map");
    }
    mapping->base = base;
    return {mapping, static_cast<uint8_t*>(base)};
}

void ReleaseFileMap(void* handle, void* bits) {
    auto* mapping = static_cast<TMapping*>(handle);
    if (!mapping) throw EPxDIBAssert(L"ReleaseFileMap: Failed To Close File Map");
    if (bits != mapping->base || munmap(mapping->base, mapping->length) != 0) {
        throw EPxDIBAssert(L"ReleaseFileMap: Failed To Unmap View of File map");
    }
    delete mapping;
}

void DeletePxPalette(void*) noexcept {}
