// Fuzz target: the image plug-in's picture checks and decoding.
#include <cstdint>
#include <span>

#include "spi/image/PictureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TDecodedPicture picture;
    picture.Decode(std::span<const uint8_t>(data, size));
    return 0;
}
