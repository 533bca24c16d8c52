#pragma once
// A local-memory block that an export fills and then hands to its caller, who locks, copies and
// frees it. On every path where it is not handed over it is freed here.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "spi/common/SpiResult.h"
#include "toolkit/Handles_win.h"

class TOutgoingBlock {
public:
    TOutgoingBlock() = default;
    TOutgoingBlock(const TOutgoingBlock&) = delete;
    TOutgoingBlock& operator=(const TOutgoingBlock&) = delete;
    ~TOutgoingBlock();

    // A new block of exactly size bytes, locked for filling; zeroed on request.
    TSpiResult Allocate(size_t size, bool zeroed);
    uint8_t* Data() const { return data_; }
    // Unlocks the block and gives it away.
    HLOCAL Release();

private:
    void Unlock();

    TUniqueLocal block_;
    uint8_t* data_ = nullptr;
    bool locked_ = false;
};
