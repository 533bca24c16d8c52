#pragma once
// A stream over a Windows file handle. Modes and share flags combine as in
// TFileStream(path, fmOpenRead | fmShareDenyWrite).
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
// <windows.h>.
struct TFileStreamHandleTraits {
    using Handle = void*;
    static Handle Empty();  // INVALID_HANDLE_VALUE
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

    // The underlying HANDLE, for calls that take one.
    void* Handle() const { return handle_.get(); }
    const std::wstring& FileName() const { return path_; }

private:
    TUnique<TFileStreamHandleTraits> handle_;
    std::wstring path_;
};
