// Damaged archives and pictures fed to the plug-ins' cores: truncations and random bit flips of
// well-formed seeds. Each must end in an error code or a consistent success; in the native build
// the sanitizers turn any read or write outside a buffer into a failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "common/TestData.h"
#include "spi/PictureWriter.h"
#include "spi/SpiTestUtil.h"
#include "spi/image/PictureDecoder.h"

namespace {

class TRandom {
public:
    explicit TRandom(uint32_t seed) : x_(seed * 2654435761u + 1) {}
    uint32_t Next(uint32_t bound) {
        x_ ^= x_ << 13, x_ ^= x_ >> 17, x_ ^= x_ << 5;
        return x_ % bound;
    }

private:
    uint32_t x_;
};

// VV_ROBUSTNESS_SCALE=n multiplies the number of bit flips, for longer runs by hand.
int Scaled(int flips) {
    const char* scale = std::getenv("VV_ROBUSTNESS_SCALE");
    return scale ? flips * std::max(1, std::atoi(scale)) : flips;
}

// Truncations at about a hundred points, and flips of one to four bits.
template <class Check>
void Damage(const TBytes& seed, int flips, Check check) {
    flips = Scaled(flips);
    const size_t step = seed.size() / 100 + 1;
    for (size_t cut = 0; cut < seed.size(); cut += step) check(TBytes(seed.begin(), seed.begin() + static_cast<ptrdiff_t>(cut)));
    TRandom random(static_cast<uint32_t>(seed.size()));
    for (int i = 0; i < flips; ++i) {
        TBytes b = seed;
        for (uint32_t n = 1 + random.Next(4); n > 0; --n) b[random.Next(static_cast<uint32_t>(b.size()))] ^= 1 << random.Next(8);
        check(b);
    }
}

void CheckArchive(const TBytes& bytes) {
    static const std::set<TSpiResult> kListResults = {srSuccess, srUnknownFormat, srBrokenData};
    static const std::set<TSpiResult> kExtractResults = {srSuccess, srUnknownFormat, srBrokenData};
    const TListing listing = List(bytes);
    ASSERT_TRUE(kListResults.count(listing.result)) << listing.result;
    if (listing.result != srSuccess) return;
    for (const TArchiveMember& m : listing.members) {
        const TExtraction got = Extract(bytes, m.position);
        ASSERT_TRUE(kExtractResults.count(got.result)) << got.result;
        if (got.result == srSuccess) {
            ASSERT_EQ(got.data.size(), m.size);
        }
    }
}

// Pictures whose header asks for more than this are only sized, not decoded: the test is about
// damaged data, not about allocating gigabytes.
constexpr uint64_t kMaxDecodedBytes = 64 << 20;

void CheckPicture(const TBytes& bytes) {
    static const std::set<TSpiResult> kResults = {srSuccess, srUnknownFormat, srBrokenData, srNoMemory};
    TDibLayout planned;
    const TSpiResult sized = ReadStbLayout(bytes, planned);
    ASSERT_TRUE(kResults.count(sized)) << sized;
    if (sized == srSuccess && planned.bitsSize > kMaxDecodedBytes / 4) return;
    TStbPicture picture;
    const TSpiResult r = picture.Decode(bytes);
    ASSERT_TRUE(kResults.count(r)) << r;
    if (r != srSuccess) return;
    // Exactly the sizes the layout names: the sanitizers see any write beyond them.
    TBytes info(picture.Layout().infoSize), bits(picture.Layout().bitsSize);
    picture.WriteInfo(info.data());
    EXPECT_EQ(picture.WriteBits(bits.data()), srSuccess);
}

TEST(Robustness, DamagedArchives) {
    using T = TTarMemberDef;
    const std::vector<TBytes> seeds = {
        WriteZip({{.name = "a.txt", .data = Bytes("stored member")},
                  {.name = "dir/", .data = {}, .folder = true},
                  {.name = "dir/b.bin", .data = PatternBytes(3000, 1), .deflate = true, .unixTime = 1},
                  {.name = "\xE5\x86\x99.png", .data = Bytes("abc"), .utf8Flag = true, .unicodePath = "x"}},
                 {.comment = "comment"}),
        WriteZip({{.name = "z64", .data = Bytes("zip64 member"), .deflate = true, .zip64 = true}}, {.zip64End = true}),
        WriteTar({{.name = "plain", .data = Bytes("tar member")},
                  {.name = "pax/\xE6\x97\xA5", .data = PatternBytes(600, 2), .naming = T::tnPax},
                  {.name = std::string(150, 'g'), .data = Bytes("gnu"), .naming = T::tnGnuLong},
                  {.name = "dir/", .type = '5'}}),
        ReadFixture("py.zip"),
        ReadFixture("py_pax.tar"),
    };
    for (size_t i = 0; i < seeds.size(); ++i) {
        SCOPED_TRACE("seed " + std::to_string(i));
        CheckArchive(seeds[i]);
        Damage(seeds[i], 2000, CheckArchive);
    }
}

// The formats stb_image reads, damaged; those the system decodes must be left to it untouched.
TEST(Robustness, DamagedPictures) {
    const TPixels rgba = MakePixels(9, 7, 4);
    const std::vector<TBytes> seeds = {
        WriteTga(MakePixels(9, 7, 1), false),
        WriteTga(MakePixels(9, 7, 3), false),
        WritePng(rgba),
        WritePng(MakePixels(9, 7, 2)),
        WriteGif(rgba),
        WriteTga(rgba, true),
        WritePnm(MakePixels(9, 7, 3)),
        WriteJpeg(MakePixels(17, 9, 3), 90),
        WriteHdr(MakePixels(9, 7, 3)),
        ReadFixture("im_progressive.jpg"),
        ReadFixture("im.psd"),
        ReadFixture("im_16bit.png"),
        ReadFixture("im_interlaced.png"),
    };
    for (size_t i = 0; i < seeds.size(); ++i) {
        SCOPED_TRACE("seed " + std::to_string(i));
        CheckPicture(seeds[i]);
        Damage(seeds[i], 400, CheckPicture);
    }
}

}  // namespace
