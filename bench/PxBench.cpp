// Throughput of the DIB library on a 4000 x 3000 picture: BMP reading and writing through memory
// streams (24 and 8 bits), RLE8 encoding and decoding. Each figure comes with memcpy over a buffer
// of the same size, measured in the same run, so that the ratio holds on a busy machine.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ctime>
#include <vector>

#include "imaging/PxDIB.h"
#include "imaging/PxRLE.h"
#include "toolkit/Streams.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRepeats = 7;

// CPU time of this thread: the machine is shared, and time spent waiting for a core is not ours.
// Windows (and Wine) count thread time in scheduler ticks of about 16 ms, too coarse for these
// figures: there the clock is the wall clock, and the best of the runs stands for the quiet one.
double ThreadSeconds() {
#ifdef _WIN32
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
#else
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
#endif
}

// Best CPU seconds of fn over kRepeats runs (after one warm-up run).
double Seconds(const std::function<void()>& fn) {
    fn();
    double best = 1e30;
    for (int i = 0; i < kRepeats; ++i) {
        const double start = ThreadSeconds();
        fn();
        best = std::min(best, ThreadSeconds() - start);
    }
    return best;
}

double MBps(size_t bytes, double seconds) { return bytes / seconds / 1e6; }

double MemcpyMBps(size_t bytes) {
    std::vector<uint8_t> src(bytes, 1), dst(bytes, 0);
    volatile uint8_t sink = 0;
    const double s = Seconds([&] {
        std::memcpy(dst.data(), src.data(), bytes);
        sink = sink + dst[bytes / 2];
    });
    return MBps(bytes, s);
}

// memcpy into a freshly taken pixel store, as a reader must do: the first touch of each page of a
// new store costs a page fault and zero-filling.
double FreshStoreMemcpyMBps(size_t bytes) {
    std::vector<uint8_t> src(bytes, 1);
    const double s = Seconds([&] {
        TPxPixelStore store(static_cast<uint32_t>(bytes));
        std::memcpy(store.Bits(), src.data(), bytes);
    });
    return MBps(bytes, s);
}

void Report(const char* what, size_t bytes, double seconds, bool freshStore = false) {
    const double mine = MBps(bytes, seconds);
    const double reference = MemcpyMBps(bytes);
    std::printf("%-16s %7.1f MB/s   memcpy %7.1f MB/s   ratio %.2f", what, mine, reference, mine / reference);
    if (freshStore) std::printf("   memcpy into a new store %7.1f MB/s", FreshStoreMemcpyMBps(bytes));
    std::printf("   (%zu bytes)\n", bytes);
}

// A smooth photo-like picture: overlapping gradients and waves with a little deterministic grain.
uint8_t Photo(int x, int y, int channel, uint32_t& grain) {
    grain = grain * 1664525u + 1013904223u;
    const double v = 128 + 60 * std::sin(x * 0.004 + channel) * std::cos(y * 0.003 - channel) + 40.0 * x / kWidth +
                     20.0 * y / kHeight + static_cast<int>(grain >> 29) - 4;
    return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
}

void FillPhoto24(TPxInternalDIB& dib) {
    const uint64_t stride = RowStride(kWidth, 24);
    uint32_t grain = 1;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = dib.Infos().Bits + y * stride;
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 0; c < 3; ++c) row[x * 3 + c] = Photo(x, y, c, grain);
        }
    }
}

// 8 bits: the photo's green channel, or, with runs, posterised to eight levels (flat areas that
// RLE8 compresses).
void FillPhoto8(TPxInternalDIB& dib, bool posterise) {
    const uint64_t stride = RowStride(kWidth, 8);
    uint32_t grain = 2;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = dib.Infos().Bits + y * stride;
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t v = Photo(x, y, 1, grain);
            row[x] = posterise ? static_cast<uint8_t>(v / 32 * 32) : v;
        }
    }
    for (int i = 0; i < 256; ++i) dib.Infos().Colors[i] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
}

void BenchBmp(const char* name, TPxInternalDIB& dib) {
    TMemoryStream file;
    dib.SaveToStream(file);
    const size_t bytes = file.Length();
    char label[64];
    std::snprintf(label, sizeof label, "BMP write %s", name);
    Report(label, bytes, Seconds([&] {
               file.SetPosition(0);  // the stream keeps its memory: only the writer is measured
               dib.SaveToStream(file);
           }));
    TPxInternalDIB loaded;
    std::snprintf(label, sizeof label, "BMP read %s", name);
    Report(label, bytes, Seconds([&] {
               file.SetPosition(0);
               loaded.LoadFromStream(file);
           }), true);
}

// A 16-bit 5-6-5 or 32-bit BI_BITFIELDS file of the 24-bit photo, and its reading (widened to 24
// bits as it is read), against memcpy over the file's size.
void BenchWideRead(const TPxInternalDIB& photo, uint16_t bitCount) {
    const uint32_t masks[3] = {bitCount == 16 ? 0xF800u : 0xFF0000u, bitCount == 16 ? 0x07E0u : 0xFF00u,
                               bitCount == 16 ? 0x001Fu : 0xFFu};
    const uint64_t srcStride = RowStride(kWidth, 24), rowBytes = (uint64_t{kWidth} * (bitCount / 8) + 3) / 4 * 4;
    TBitmapInfoHeader h{40, kWidth, kHeight, 1, bitCount, kBiBitfields, 0, 0, 0, 0, 0};
    const uint32_t offBits = 14 + 40 + 12;
    TBitmapFileHeader f{kBitmapFileType, static_cast<uint32_t>(offBits + rowBytes * kHeight), 0, 0, offBits};
    TMemoryStream file;
    file.WriteBuffer(&f, sizeof f);
    file.WriteBuffer(&h, sizeof h);
    file.WriteBuffer(masks, sizeof masks);
    std::vector<uint8_t> row(rowBytes);
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* p = photo.Infos().Bits + y * srcStride;
        for (int x = 0; x < kWidth; ++x, p += 3) {
            if (bitCount == 16) {
                const uint16_t v = static_cast<uint16_t>((p[2] >> 3) << 11 | (p[1] >> 2) << 5 | p[0] >> 3);
                std::memcpy(&row[x * 2], &v, 2);
            } else {
                const uint32_t v = uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
                std::memcpy(&row[x * 4], &v, 4);
            }
        }
        file.WriteBuffer(row.data(), row.size());
    }
    TPxInternalDIB loaded;
    char label[64];
    std::snprintf(label, sizeof label, "BMP read %u-bit", unsigned{bitCount});
    Report(label, file.Length(), Seconds([&] {
               file.SetPosition(0);
               loaded.LoadFromStream(file);
           }), true);
}

}  // namespace

int main() {
#ifdef _WIN32
    std::printf("pxbench: %d x %d, best wall-clock time of %d runs; MB = 10^6 bytes\n", kWidth, kHeight, kRepeats);
#else
    std::printf("pxbench: %d x %d, best thread CPU time of %d runs; MB = 10^6 bytes\n", kWidth, kHeight, kRepeats);
#endif
    {
        TPxInternalDIB photo;
        photo.CreateDIB(kWidth, kHeight, 0, 24);
        FillPhoto24(photo);
        BenchBmp("24-bit", photo);
        BenchWideRead(photo, 16);
        BenchWideRead(photo, 32);
    }
    {
        TPxInternalDIB photo;
        photo.CreateDIB(kWidth, kHeight, 256, 8);
        FillPhoto8(photo, false);
        BenchBmp("8-bit", photo);
    }
    {
        TPxInternalDIB poster;
        poster.CreateDIB(kWidth, kHeight, 256, 8);
        FillPhoto8(poster, true);
        const DIBInfos& src = poster.Infos();
        const size_t bytes = static_cast<size_t>(src.BitsSize);
        DIBInfos encoded{};
        Report("RLE8 encode", bytes, Seconds([&] {
                   FreeDIBInfosBits(encoded);
                   Convert8BitRGBTo8BitRLE(src, encoded);
               }));
        DIBInfos decoded{};
        Report("RLE8 decode", bytes, Seconds([&] {
                   FreeDIBInfosBits(decoded);
                   Convert8BitRLETo8BitRGB(encoded, decoded);
               }), true);
        std::printf("RLE8 data: %d bytes for %zu bytes of pixels (%.1f%%); round trip %s\n", encoded.BitsSize, bytes,
                    100.0 * encoded.BitsSize / bytes,
                    std::memcmp(decoded.Bits, src.Bits, bytes) == 0 ? "exact" : "DIFFERS");
        FreeDIBInfosBits(encoded);
        FreeDIBInfosBits(decoded);
    }
    return 0;
}
