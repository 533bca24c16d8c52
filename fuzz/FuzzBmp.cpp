// Fuzz target: the BMP reader. Whatever it accepts must be written back by the writer and read
// again to the same file.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imaging/PxDIB.h"
#include "toolkit/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream in;
    in.LoadFromBuffer(data, size);
    TPxInternalDIB dib;
    try {
        dib.LoadFromStream(in);
    } catch (const Exception&) {
        return 0;  // refused cleanly
    }
    TMemoryStream once, twice;
    dib.SaveToStream(once);
    once.SetPosition(0);
    TPxInternalDIB again;
    again.LoadFromStream(once);
    again.SaveToStream(twice);
    if (once.Length() != twice.Length() || std::memcmp(once.Memory(), twice.Memory(), once.Length()) != 0) abort();
    return 0;
}
