#pragma once
// Byte streams: an abstract stream with exact reads and writes, and a stream over memory.
// The file stream is in FileStream.h.
#include <cstddef>
#include <cstdint>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Transfers up to count bytes and returns how many moved.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    // Returns the new position; a position before the start raises EStreamError.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    int64_t Size();

    // Exact transfers: a short read raises EReadError, a short write EWriteError.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Copies count bytes from source's current position; count 0 copies the whole source from its start.
    // Returns the number of bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

    // The stream's bytes; valid until the next write or size change.
    const uint8_t* Memory() const { return data_.data(); }
    uint8_t* Memory() { return data_.data(); }
    size_t Length() const { return data_.size(); }
    void Clear();
    void LoadFromBuffer(const void* buffer, size_t count);
    // Replaces the contents with the whole of source (from its start), read in one piece straight
    // into the stream's memory; the position is 0 afterwards. A short read raises EReadError.
    void LoadFromStream(TStream& source);

private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
};
