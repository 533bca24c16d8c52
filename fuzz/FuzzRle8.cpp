// Fuzz target: the RLE8 decoder, and the encoder on what it decodes.
#include "FuzzRle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzRle(data, size, 8, DecodeRLE8, EncodeRLE8);
}
