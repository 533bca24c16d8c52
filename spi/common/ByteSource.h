#pragma once
// Random access to the bytes of an archive or picture: a file (Windows half) or a block of memory.
// Parsers read through it and never past its end.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "spi/common/SpiResult.h"

class TByteSource {
public:
    TByteSource() = default;
    TByteSource(const TByteSource&) = delete;
    TByteSource& operator=(const TByteSource&) = delete;
    virtual ~TByteSource() = default;

    virtual uint64_t Size() const = 0;
    // Reads exactly count bytes at offset. A range past the end is srBrokenData (the data said
    // something is there); a failing device is srFileReadError.
    TSpiResult ReadAt(uint64_t offset, void* buffer, size_t count);

protected:
    // Called only for ranges inside Size().
    virtual TSpiResult DoRead(uint64_t offset, void* buffer, size_t count) = 0;
};

class TMemorySource : public TByteSource {
public:
    explicit TMemorySource(std::span<const uint8_t> data) : data_(data) {}
    uint64_t Size() const override { return data_.size(); }

protected:
    TSpiResult DoRead(uint64_t offset, void* buffer, size_t count) override;

private:
    std::span<const uint8_t> data_;
};

// Progress of a long operation: done of total. Answers false when the caller wants to stop.
using TProgress = std::function<bool(uint64_t done, uint64_t total)>;

// Little-endian fields of on-disk records.
inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t Le64(const uint8_t* p) { return Le32(p) | static_cast<uint64_t>(Le32(p + 4)) << 32; }
