#pragma once
// A stream over a file: a Windows file handle, or a descriptor in the native build (where the share
// flags mean nothing). Modes and share flags combine as in TFileStream(path, fmOpenRead | fmShareDenyWrite).
#include <cstdint>
#include <string>

#include "toolkit/Streams.h"
#include "toolkit/Unique.h"

enum : uint32_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFF00,  // create or truncate, read and write
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
};

// The stream's file handle, closed with the stream; kept as void* so that this header needs no
// <windows.h>. The native build holds a file descriptor.
struct TFileStreamHandleTraits {
#ifdef _WIN32
    using Handle = void*;
#else
    using Handle = int;
#endif
    static Handle Empty();  // INVALID_HANDLE_VALUE, or -1
    static void Close(Handle h);
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError (or EFCreateError with fmCreate) naming the path when the file cannot be opened.
    TFileStream(const std::wstring& path, uint32_t mode);
    ~TFileStream() override;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

    // The underlying HANDLE (descriptor in the native build), for calls that take one.
    TFileStreamHandleTraits::Handle Handle() const { return handle_.get(); }
    const std::wstring& FileName() const { return path_; }

private:
    TUnique<TFileStreamHandleTraits> handle_;
    std::wstring path_;
};
