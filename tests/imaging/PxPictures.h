#pragma once
// Small in-memory pictures for the conversion tests. Row fill bytes are set to a junk value so
// that a routine reading them shows in its results.
#include <cstdint>
#include <vector>

#include "imaging/PxConvert.h"

constexpr uint8_t kJunk = 0xEE;

struct TTestPicture {
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t BitCount = 0;
    std::vector<uint8_t> Bits;
    std::vector<TPxColor> Colors;

    TTestPicture(int32_t width, int32_t height, uint16_t bitCount)
        : Width(width), Height(height), BitCount(bitCount), Bits(Stride() * static_cast<size_t>(height), kJunk) {}

    size_t Stride() const { return (static_cast<size_t>(Width) * BitCount + 31) / 32 * 4; }
    uint8_t* Row(int y) { return Bits.data() + Stride() * static_cast<size_t>(y); }

    void SetRgb(int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
        uint8_t* p = Row(y) + 3 * x;
        p[0] = blue, p[1] = green, p[2] = red;
    }

    TPxSource Source() const {
        TPxSource s;
        s.Width = Width;
        s.Height = Height;
        s.BitCount = BitCount;
        s.Bits = Bits.data();
        s.BitsSize = Bits.size();
        s.Colors = Colors.empty() ? nullptr : Colors.data();
        s.ColorCount = static_cast<uint32_t>(Colors.size());
        return s;
    }
};

inline TPxColor Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return TPxColor{blue, green, red, 0};
}

// A destination of the size the routine asks for, pre-filled with junk.
inline std::vector<uint8_t> TargetFor(TPxRoutine routine, const TTestPicture& picture) {
    return std::vector<uint8_t>(static_cast<size_t>(PxTargetBitsSize(routine, picture.Source())), kJunk);
}
