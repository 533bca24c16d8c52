#pragma once
// The benchmarks' pictures: pixels that the encoders treat like a photograph's.
#include <algorithm>
#include <cstdint>
#include <vector>

// width × height RGB pixels, top row first: smooth gradients with some grain from seed.
inline std::vector<uint8_t> PhotoLikeRgb(int width, int height, uint32_t seed) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint32_t noise = seed;
    size_t i = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245 + 12345;
            const int grain = static_cast<int>(noise >> 28) - 8;
            rgb[i++] = static_cast<uint8_t>(std::clamp(x * 255 / width + grain, 0, 255));
            rgb[i++] = static_cast<uint8_t>(std::clamp(y * 255 / height + grain, 0, 255));
            rgb[i++] = static_cast<uint8_t>(std::clamp((x + y) * 255 / (width + height) + grain, 0, 255));
        }
    }
    return rgb;
}
