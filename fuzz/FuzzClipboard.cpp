// Fuzz target: the packed-DIB (clipboard) reader. Whatever it accepts must be written back by the
// clipboard writer and read again to the same block.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/PxDIB.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPxInternalDIB dib;
    try {
        dib.LoadFromClipboardData(data, size);
    } catch (const Exception&) {
        return 0;  // refused cleanly
    }
    std::vector<uint8_t> once(dib.ClipboardDataSize());
    dib.SaveToClipboardData(once);
    TPxInternalDIB again;
    again.LoadFromClipboardData(once.data(), once.size());
    std::vector<uint8_t> twice(again.ClipboardDataSize());
    again.SaveToClipboardData(twice);
    if (once != twice) abort();
    return 0;
}
