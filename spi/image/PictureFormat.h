#pragma once
// Which picture format a file holds, and which decoder reads it: PNG, JPEG, GIF, TIFF and ICO go to
// the system's decoders (Windows Imaging Component), TGA, PSD, PNM and HDR to stb_image. stb_image
// sees a file only after its header has been checked here against what that decoder reads safely
// and correctly. Portable: no Windows types.
#include <cstdint>
#include <span>
#include <vector>

#include "spi/common/SpiResult.h"

enum class TPictureFormat { pfUnknown, pfPng, pfJpeg, pfGif, pfTiff, pfIco, pfTga, pfPsd, pfPnm, pfHdr };

// The format by content; head is the start of the file (IsSupported sees its first 2 KB). Formats
// that only an installed system codec knows are pfUnknown here.
TPictureFormat DetectPictureFormat(std::span<const uint8_t> head);

// PNG, JPEG, GIF, TIFF and ICO: decoded by the system.
bool IsSystemFormat(TPictureFormat format);

// What stb_image will hand back for a file whose header passed the checks.
struct TStbHeader {
    TPictureFormat format = TPictureFormat::pfUnknown;
    int32_t width = 0;
    int32_t height = 0;
    int channels = 0;        // 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA, as stb_image gives them
    bool alphaIsPadding = false;  // TGA with no alpha bits: the fourth byte is not opacity
    unsigned maxValue = 255;      // PNM samples run from 0 to this
    // PSD: the channel count, where the pixel data starts, and whether it is PackBits-coded.
    unsigned psdChannels = 0;
    uint64_t psdDataAt = 0;
    bool psdPackBits = false;
};

// Checks a TGA, PSD, PNM or HDR file before stb_image sees it: the header must describe a picture
// of 1 to 2^24 pixels a side, in a variant this decoder reads correctly, and the file must be long
// enough for that picture. srUnknownFormat for other formats and for variants not read (16-bit
// PNM, PSD in a colour mode other than RGB, TGA stored right to left, ...), srBrokenData for
// contradictions and files too short, srNoMemory for a picture too large to address.
TSpiResult CheckStbHeader(std::span<const uint8_t> data, TStbHeader& out);

// The bytes stb_image is given for a file that passed CheckStbHeader: the file itself, or for a PSD
// of more than three channels a copy in storage that keeps only the first three. Photoshop stores
// the merged picture already composed over white, so its alpha adds nothing here, and stb_image's
// undoing of that composition converts out-of-range values (undefined behaviour).
std::span<const uint8_t> StbInput(std::span<const uint8_t> data, const TStbHeader& header,
                                  std::vector<uint8_t>& storage);
