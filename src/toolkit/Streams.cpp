#include "toolkit/Streams.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include "toolkit/Exceptions.h"

namespace {
const wchar_t kReadError[] = L"ストリームの読み込みに失敗しました。";
const wchar_t kWriteError[] = L"ストリームの書き込みに失敗しました。";
const wchar_t kSeekError[] = L"ストリームの位置が不正です。";
constexpr size_t kCopyChunk = 1 << 16;
}  // namespace

int64_t TStream::Size() {
    const int64_t here = Seek(0, TSeekOrigin::soCurrent);
    const int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError(kReadError);
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError(kWriteError);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0) throw EReadError(kReadError);
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(count, kCopyChunk)));
    for (int64_t left = count; left > 0;) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(chunk.size())));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        left -= static_cast<int64_t>(n);
    }
    return count;
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    if (position_ >= data_.size()) return 0;
    const size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    if (count > data_.max_size() - position_) return 0;
    const size_t end = position_ + count;
    if (end > data_.size()) {
        try {
            if (end > data_.capacity()) data_.reserve(std::max(end, data_.capacity() + data_.capacity() / 2));
            data_.resize(end);
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    std::memcpy(data_.data() + position_, buffer, count);
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent) base = static_cast<int64_t>(position_);
    if (origin == TSeekOrigin::soEnd) base = static_cast<int64_t>(data_.size());
    if ((offset < 0 && base + offset < 0) || (offset > 0 && offset > INT64_MAX - base)) throw EStreamError(kSeekError);
    if (static_cast<uint64_t>(base + offset) > SIZE_MAX) throw EStreamError(kSeekError);
    position_ = static_cast<size_t>(base + offset);  // past the end is allowed; a write fills the gap with zeros
    return base + offset;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0) throw EStreamError(kSeekError);
    try {
        data_.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(L"TMemoryStream.SetSize: Out Of Memory");
    } catch (const std::length_error&) {
        throw EOutOfMemory(L"TMemoryStream.SetSize: Out Of Memory");
    }
    position_ = std::min(position_, data_.size());
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromBuffer(const void* buffer, size_t count) {
    SetSize(static_cast<int64_t>(count));
    if (count) std::memcpy(data_.data(), buffer, count);
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const int64_t size = source.Size();
    SetSize(size);
    source.ReadBuffer(data_.data(), data_.size());
    position_ = 0;
}
