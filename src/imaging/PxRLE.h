#pragma once
// The Windows run-length encodings BI_RLE8 and BI_RLE4: decoders to and encoders from the
// uncompressed 8- and 4-bit formats.
//
// The Convert* routines take a source record and fill a destination record (a copy of the source
// with a new pixel store of its own); the source and its store are left alone. They are thin
// wrappers around the Decode*/Encode* cores, which work on memory their caller owns.
#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/PxDIB.h"

// Decoders: the result is uncompressed (biCompression 0, biSizeImage 0) with |biHeight| x stride
// bytes of pixels; pixels the data never sets stay index 0. Bad data raises EPxDIBInvalidDIB with
// the numbered "Bad RLE Data" message of the check that failed; a wrong source format raises
// EPxDIBBadDIBType. Data that ends without the end-of-bitmap escape ends the picture there.
void Convert8BitRLETo8BitRGB(const DIBInfos& src, DIBInfos& dst);
void Convert4BitRLETo4BitRGB(const DIBInfos& src, DIBInfos& dst);

// Encoders: the result is bottom-up (biHeight > 0), biCompression 1 or 2, biSizeImage and bits
// size the encoded length. An encoding that would not be smaller than about the uncompressed size
// raises EPxDIBCompressionFailed.
void Convert8BitRGBTo8BitRLE(const DIBInfos& src, DIBInfos& dst);
void Convert4BitRGBTo4BitRLE(const DIBInfos& src, DIBInfos& dst);

// Cores. pixels holds height rows of RowStride(width, bits) bytes, row 0 first in memory.
// The decoders never read outside data nor write outside pixels.
void DecodeRLE8(std::span<const uint8_t> data, uint32_t width, uint32_t height, std::span<uint8_t> pixels);
void DecodeRLE4(std::span<const uint8_t> data, uint32_t width, uint32_t height, std::span<uint8_t> pixels);
// The encoders write the encoding of all rows into out and return its length. Encoded row 0 is
// memory row 0, or the last memory row when topDown is set (the encoding is always bottom-up).
size_t EncodeRLE8(std::span<const uint8_t> pixels, uint32_t width, uint32_t height, bool topDown,
                  std::span<uint8_t> out);
size_t EncodeRLE4(std::span<const uint8_t> pixels, uint32_t width, uint32_t height, bool topDown,
                  std::span<uint8_t> out);
