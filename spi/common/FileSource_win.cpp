#include "spi/common/FileSource_win.h"

#include <new>

#include "spi/common/SusieApi_win.h"

TSpiResult TFileSource::Open(LPCSTR path, uint64_t base, std::unique_ptr<TFileSource>& out) {
    if (!path) return srFileReadError;
    // Others may keep reading or even writing the file: every field is checked as it is read.
    TUniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return srFileReadError;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return srFileReadError;
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    if (base > total) return srBrokenData;
    out.reset(new TFileSource(std::move(file), base, total - base));
    return srSuccess;
}

TSpiResult TFileSource::DoRead(uint64_t offset, void* buffer, size_t count) {
    auto* p = static_cast<uint8_t*>(buffer);
    uint64_t at = base_ + offset;
    while (count > 0) {
        OVERLAPPED ov = {};
        ov.Offset = static_cast<DWORD>(at);
        ov.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD chunk = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        DWORD got = 0;
        if (!ReadFile(file_.get(), p, chunk, &got, &ov) || got == 0) return srFileReadError;
        p += got;
        at += got;
        count -= got;
    }
    return srSuccess;
}

TSpiResult OpenInput(LPCSTR buf, LONG_PTR len, UINT flag, std::unique_ptr<TByteSource>& out) {
    switch (flag & kSusieInputMask) {
    case kSusieInputFile: {
        if (len < 0) return srFileReadError;
        std::unique_ptr<TFileSource> file;
        const TSpiResult r = TFileSource::Open(buf, static_cast<uint64_t>(len), file);
        if (r == srSuccess) out = std::move(file);
        return r;
    }
    case kSusieInputMemory:
        if (!buf || len < 0) return srBrokenData;
        out = std::make_unique<TMemorySource>(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(buf), static_cast<size_t>(len)));
        return srSuccess;
    default:
        return srNotImplemented;
    }
}

TSpiResult ReadAll(TByteSource& source, std::vector<uint8_t>& out, uint64_t maxSize) {
    const uint64_t size = source.Size();
    if (size > maxSize) return srNoMemory;
    try {
        out.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return srNoMemory;
    }
    return source.ReadAt(0, out.data(), out.size());
}

std::vector<uint8_t> ReadHeadFromHandle(HANDLE file, size_t count) {
    std::vector<uint8_t> head(count);
    LARGE_INTEGER zero = {}, where = {};
    if (!SetFilePointerEx(file, zero, &where, FILE_CURRENT)) return {};
    DWORD got = 0;
    if (!ReadFile(file, head.data(), static_cast<DWORD>(count), &got, nullptr)) got = 0;
    SetFilePointerEx(file, where, nullptr, FILE_BEGIN);
    head.resize(got);
    return head;
}
