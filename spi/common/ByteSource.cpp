#include "spi/common/ByteSource.h"

#include <cstring>

TSpiResult TByteSource::ReadAt(uint64_t offset, void* buffer, size_t count) {
    const uint64_t size = Size();
    if (offset > size || count > size - offset) return srBrokenData;
    if (count == 0) return srSuccess;
    return DoRead(offset, buffer, count);
}

TSpiResult TMemorySource::DoRead(uint64_t offset, void* buffer, size_t count) {
    std::memcpy(buffer, data_.data() + offset, count);
    return srSuccess;
}
