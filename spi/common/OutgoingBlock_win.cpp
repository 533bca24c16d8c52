#include "spi/common/OutgoingBlock_win.h"

TOutgoingBlock::~TOutgoingBlock() { Unlock(); }

TSpiResult TOutgoingBlock::Allocate(size_t size, bool zeroed) {
    Unlock();
    block_.reset();
    // A movable block of zero bytes is born discarded and cannot be locked; a fixed one can.
    const UINT kind = size == 0 ? LMEM_FIXED : LMEM_MOVEABLE;
    block_.reset(LocalAlloc(kind | (zeroed ? LMEM_ZEROINIT : 0), size));
    if (!block_) return srNoMemory;
    data_ = static_cast<uint8_t*>(LocalLock(block_.get()));
    if (!data_) {
        block_.reset();
        return srMemoryError;
    }
    locked_ = true;
    return srSuccess;
}

HLOCAL TOutgoingBlock::Release() {
    Unlock();
    return block_.release();
}

void TOutgoingBlock::Unlock() {
    if (locked_) LocalUnlock(block_.get());
    locked_ = false;
    data_ = nullptr;
}
