#pragma once
// Plug-in input from files: a byte source over an open file, the whole input of an export as
// bytes, and the head of a file handed over as a handle.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "spi/common/ByteSource.h"
#include "toolkit/Handles_win.h"

class TFileSource : public TByteSource {
public:
    // Opens the file (an ANSI path) for reading; the source covers the file from base to its end.
    // srFileReadError when it cannot be opened, srBrokenData when base lies past its end.
    static TSpiResult Open(LPCSTR path, uint64_t base, std::unique_ptr<TFileSource>& out);

    uint64_t Size() const override { return size_; }

protected:
    TSpiResult DoRead(uint64_t offset, void* buffer, size_t count) override;

private:
    TFileSource(TUniqueFile file, uint64_t base, uint64_t size) : file_(std::move(file)), base_(base), size_(size) {}

    TUniqueFile file_;
    uint64_t base_;
    uint64_t size_;
};

// The source an export reads, by its flag: the file buf names from offset len, or len bytes at buf.
TSpiResult OpenInput(LPCSTR buf, LONG_PTR len, UINT flag, std::unique_ptr<TByteSource>& out);

// Reads all of a source into memory (for decoders that want one buffer). At most maxSize bytes;
// more is srNoMemory.
TSpiResult ReadAll(TByteSource& source, std::vector<uint8_t>& out, uint64_t maxSize);

// Up to count bytes from the current position of a file handle, which is left where it was.
std::vector<uint8_t> ReadHeadFromHandle(HANDLE file, size_t count);
