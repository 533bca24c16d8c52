#pragma once
// The pixel-format conversions over DIB records. Each routine checks the source record first (its
// bit count and compression, with the routine's own EPxDIBBadDIBType message), then fills the
// destination record with a copy of the source's whose pixels live in a new pixel store of their
// own: bits size, section handle, bits, biBitCount, biCompression (0) and biSizeImage (0) are set,
// and the routines that make a colour table set biClrUsed and the table (entries past the count
// zero). The source and its store are left alone; the destination is only written on success.
//
// These are thin wrappers around the cores of PxConvert.h, which work on plain memory. A source
// whose size or pixel data do not fit raises EPxDIBInvalidDIB; a destination that a record cannot
// describe (more than 2 GB of pixels) raises EOutOfResources.
#include <cstdint>

#include "imaging/PxConvert.h"
#include "imaging/PxDIB.h"

// Widening: indices are carried over or looked up in the colour table; biClrUsed and the colour
// table stay as they are, also for the 24-bit results.
void Convert1BitRGBTo4BitRGB(const DIBInfos& src, DIBInfos& dst);
void Convert1BitRGBTo8BitRGB(const DIBInfos& src, DIBInfos& dst);
void Convert4BitRGBTo8BitRGB(const DIBInfos& src, DIBInfos& dst);
void Convert1BitRGBToTrueColor(const DIBInfos& src, DIBInfos& dst);
void Convert4BitRGBToTrueColor(const DIBInfos& src, DIBInfos& dst);
void Convert8BitRGBToTrueColor(const DIBInfos& src, DIBInfos& dst);

// To 1 bit: pixels of the key colour (0x00BBGGRR) become 1, all others 0; colour table black, white.
void ConvertTrueColorTo1BitRGB(const DIBInfos& src, DIBInfos& dst, uint32_t keyColor);
void Convert8BitTo1BitRGB(const DIBInfos& src, DIBInfos& dst, uint32_t keyColor);
void Convert4BitRGBTo1BitRGB(const DIBInfos& src, DIBInfos& dst, uint32_t keyColor);

// Colour reduction to a new colour table. 8 to 4 bits weighs all 256 entries of the colour table,
// whatever biClrUsed says.
void Convert8BitRGBTo4BitRGB(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress);
void ConvertTrueColorTo8BitRGBLow(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress);
void ConvertTrueColorTo4BitRGBLow(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress);
void ConvertTrueColorTo8BitRGBHigh(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress);
void ConvertTrueColorTo4BitRGBHigh(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress);
