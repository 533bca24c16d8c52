#include "imaging/PxReduce.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "imaging/PxPictures.h"

namespace {

std::vector<TPxColor> Used(const TPxPalette& palette) {
    return std::vector<TPxColor>(palette.Colors.begin(), palette.Colors.begin() + palette.Count);
}

TPxColorCell Cell(int red, int green, int blue, uint32_t count, uint32_t key) {
    return TPxColorCell{red, green, blue, count, key};
}

// ---- A reference for the split, written for clarity: copies instead of an in-place partition,
// sums taken in long double directly, rounding by the FPU's round-to-nearest-even. ----------------

struct TRefItem {
    int Red, Green, Blue;
    uint64_t Weight;
    int Member;  // what the item stands for: a colour code, an old index or a pixel position
};

struct TRefResult {
    std::vector<TPxColor> Palette;
    std::map<int, int> IndexOf;  // member -> palette index
    int Steps = 0;
};

void RefSplit(const std::vector<TRefItem>& items, int depth, int maxDepth, bool highRule, TRefResult& out) {
    if (items.empty()) {
        if (depth == maxDepth) {
            ++out.Steps;
        } else {
            RefSplit(items, depth + 1, maxDepth, highRule, out);
            RefSplit(items, depth + 1, maxDepth, highRule, out);
        }
        return;
    }
    long double n = 0, sum[3] = {0, 0, 0}, squares[3] = {0, 0, 0};
    for (const TRefItem& it : items) {
        const long double w = static_cast<long double>(it.Weight);
        const long double v[3] = {static_cast<long double>(it.Red), static_cast<long double>(it.Green),
                                  static_cast<long double>(it.Blue)};
        n += w;
        for (int c = 0; c < 3; ++c) {
            sum[c] += w * v[c];
            squares[c] += w * v[c] * v[c];
        }
    }
    long double mean[3], var[3];
    for (int c = 0; c < 3; ++c) {
        mean[c] = sum[c] / n;
        var[c] = squares[c] / n - mean[c] * mean[c];
    }
    if (depth == maxDepth) {
        const int index = static_cast<int>(out.Palette.size());
        out.Palette.push_back(Rgb(static_cast<uint8_t>(std::nearbyint(mean[0])),
                                  static_cast<uint8_t>(std::nearbyint(mean[1])),
                                  static_cast<uint8_t>(std::nearbyint(mean[2]))));
        for (const TRefItem& it : items)
            out.IndexOf[it.Member] = index;
        ++out.Steps;
        return;
    }
    int channel = 2;
    if (3 * var[0] >= 4 * var[1] && 3 * var[0] >= 2 * var[2])
        channel = 0;
    else if (4 * var[1] >= 3 * var[0] && (highRule ? 4 * var[1] >= 2 * var[2] : 3 * var[1] >= 2 * var[2]))
        channel = 1;
    std::vector<TRefItem> higher, lower;
    for (const TRefItem& it : items) {
        const int v = channel == 0 ? it.Red : channel == 1 ? it.Green : it.Blue;
        (v > mean[channel] ? higher : lower).push_back(it);
    }
    RefSplit(higher, depth + 1, maxDepth, highRule, out);
    RefSplit(lower, depth + 1, maxDepth, highRule, out);
}

const uint8_t* PixelAt(const TTestPicture& p, int x, int y) {
    return p.Bits.data() + p.Stride() * static_cast<size_t>(y) + 3 * static_cast<size_t>(x);
}

// The Low method by the book: a cell per 16-bit code holding the truncated mean of its pixels.
// Returns the expected index of every pixel, row by row.
std::vector<int> RefLow(const TTestPicture& p, int depth, TRefResult& out) {
    struct Sums {
        uint64_t count = 0, red = 0, green = 0, blue = 0;
    };
    std::map<int, Sums> cells;
    auto codeOf = [](const uint8_t* px) { return (px[2] / 8) * 2048 + (px[1] / 4) * 32 + px[0] / 8; };
    for (int y = 0; y < p.Height; ++y) {
        for (int x = 0; x < p.Width; ++x) {
            const uint8_t* px = PixelAt(p, x, y);
            Sums& s = cells[codeOf(px)];
            ++s.count, s.red += px[2] % 8, s.green += px[1] % 4, s.blue += px[0] % 8;
        }
    }
    std::vector<TRefItem> items;
    for (const auto& [code, s] : cells) {
        items.push_back(TRefItem{static_cast<int>(s.red / s.count) + code / 2048 * 8,
                                 static_cast<int>(s.green / s.count) + code / 32 % 64 * 4,
                                 static_cast<int>(s.blue / s.count) + code % 32 * 8, s.count, code});
    }
    RefSplit(items, 0, depth, false, out);
    std::vector<int> want;
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x)
            want.push_back(out.IndexOf.at(codeOf(PixelAt(p, x, y))));
    return want;
}

std::vector<int> RefHigh(const TTestPicture& p, int depth, TRefResult& out) {
    std::vector<TRefItem> items;
    for (int y = 0; y < p.Height; ++y) {
        for (int x = 0; x < p.Width; ++x) {
            const uint8_t* px = PixelAt(p, x, y);
            items.push_back(TRefItem{px[2], px[1], px[0], 1, y * p.Width + x});
        }
    }
    RefSplit(items, 0, depth, true, out);
    std::vector<int> want;
    for (int i = 0; i < p.Width * p.Height; ++i)
        want.push_back(out.IndexOf.at(i));
    return want;
}

std::vector<int> RefEightToFour(const TTestPicture& p, TRefResult& out) {
    std::map<int, uint64_t> uses;
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x)
            ++uses[p.Bits[p.Stride() * static_cast<size_t>(y) + static_cast<size_t>(x)]];
    std::vector<TRefItem> items;
    for (const auto& [index, count] : uses) {
        const TPxColor c =
            static_cast<size_t>(index) < p.Colors.size() ? p.Colors[static_cast<size_t>(index)] : TPxColor{};
        items.push_back(TRefItem{c.Red, c.Green, c.Blue, count, index});
    }
    RefSplit(items, 0, 4, false, out);
    std::vector<int> want;
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x)
            want.push_back(out.IndexOf.at(p.Bits[p.Stride() * static_cast<size_t>(y) + static_cast<size_t>(x)]));
    return want;
}

// Expected indices packed as a DIB row holds them, fill bytes zero.
std::vector<uint8_t> Pack(const std::vector<int>& indices, const TTestPicture& p, int bitCount) {
    const size_t stride = (static_cast<size_t>(p.Width) * static_cast<size_t>(bitCount) + 31) / 32 * 4;
    std::vector<uint8_t> out(stride * static_cast<size_t>(p.Height), 0);
    for (int y = 0; y < p.Height; ++y) {
        for (int x = 0; x < p.Width; ++x) {
            const int index = indices[static_cast<size_t>(y * p.Width + x)];
            uint8_t& b = out[stride * static_cast<size_t>(y) + static_cast<size_t>(bitCount == 8 ? x : x / 2)];
            b = static_cast<uint8_t>(bitCount == 8 ? index : b | (x % 2 == 0 ? index << 4 : index));
        }
    }
    return out;
}

// A random picture of clustered colours with some noise, so that cells merge, halves tie and
// channels compete; some seeds give fewer colours than the palette, some many more.
TTestPicture RandomPicture(uint32_t seed, int width, int height) {
    std::mt19937 rng(seed);
    TTestPicture p(width, height, 24);
    const int clusters = 1 + static_cast<int>(rng() % 40);
    const int spread = static_cast<int>(rng() % 24);
    std::vector<std::array<int, 3>> centres;
    for (int i = 0; i < clusters; ++i)
        centres.push_back(
            {static_cast<int>(rng() % 256), static_cast<int>(rng() % 256), static_cast<int>(rng() % 256)});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto& c = centres[rng() % centres.size()];
            auto jitter = [&](int v) {
                return static_cast<uint8_t>(
                    std::clamp(v + static_cast<int>(rng() % (2 * spread + 1)) - spread, 0, 255));
            };
            p.SetRgb(x, y, jitter(c[0]), jitter(c[1]), jitter(c[2]));
        }
    }
    return p;
}

}  // namespace

// Three colours split once (depth 1): the Low rule weighs green against blue 3:2 and splits on
// blue; the High rule weighs them 4:2 and splits on green. Each two-colour half is then one
// entry whose means end in .5 and round to even.
TEST(PxSplit, ChannelRuleDiffersBetweenLowAndHighAndHalvesRoundToEven) {
    // Green 0, 9, 12 (mean 7, variance 26); blue 0, 4, 16 (mean 6.67, variance 46.2).
    const int colours[3][3] = {{0, 0, 0}, {0, 9, 4}, {0, 12, 16}};

    std::vector<TPxColorCell> cells;
    for (uint32_t i = 0; i < 3; ++i)
        cells.push_back(Cell(colours[i][0], colours[i][1], colours[i][2], 1, i));
    TPxPalette low;
    SplitColorCells(cells, 1, low, {});
    EXPECT_EQ(Used(low), (std::vector<TPxColor>{Rgb(0, 12, 16), Rgb(0, 4, 2)}));  // 4.5 -> 4
    std::map<uint32_t, uint32_t> lowIndex;
    for (const TPxColorCell& c : cells)
        lowIndex[c.Key] = c.Count;
    EXPECT_EQ(lowIndex, (std::map<uint32_t, uint32_t>{{0, 1}, {1, 1}, {2, 0}}));

    std::vector<TPxTriple> pixels;
    for (const auto& c : colours)
        pixels.push_back(TPxTriple{static_cast<uint8_t>(c[2]), static_cast<uint8_t>(c[1]), static_cast<uint8_t>(c[0])});
    TPxPalette high;
    TPxSplitTree tree;
    SplitPixels(pixels, 1, high, tree, {});
    EXPECT_EQ(Used(high), (std::vector<TPxColor>{Rgb(0, 10, 10), Rgb(0, 0, 0)}));  // 10.5 -> 10
    EXPECT_EQ(WalkSplitTree(tree, 0, 9, 4), 0);
    EXPECT_EQ(WalkSplitTree(tree, 0, 0, 0), 1);
}

TEST(PxSplit, EveryLeafIsAProgressStepEvenWhenEmpty) {
    for (int depth = 0; depth <= 8; ++depth) {
        SCOPED_TRACE(depth);
        int steps = 0;
        const TPxProgress step = [&] { ++steps; };
        std::vector<TPxColorCell> one = {Cell(1, 2, 3, 7, 0)};
        TPxPalette palette;
        SplitColorCells(one, depth, palette, step);
        EXPECT_EQ(steps, 1 << depth);
        EXPECT_EQ(Used(palette), std::vector<TPxColor>{Rgb(1, 2, 3)});
        EXPECT_EQ(one[0].Count, 0u);  // its palette index

        steps = 0;
        TPxPalette none;
        SplitColorCells({}, depth, none, step);
        EXPECT_EQ(steps, 1 << depth);
        EXPECT_EQ(none.Count, 0u);
    }
}

// Green (255) is split off first; alone, it splits on red at mean 0, which leaves its right half
// empty. Nodes are numbered as they are handed out: right child first, built before the left.
TEST(PxSplitTree, NodesFollowTheSplitsAndEmptyRangesStayUnset) {
    std::vector<TPxTriple> pixels = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}};  // red, green, blue
    TPxPalette palette;
    TPxSplitTree tree;
    SplitPixels(pixels, 2, palette, tree, {});
    EXPECT_EQ(Used(palette), (std::vector<TPxColor>{Rgb(0, 255, 0), Rgb(255, 0, 0), Rgb(0, 0, 255)}));
    ASSERT_EQ(tree.Used, 7);
    const auto& n = tree.Nodes;
    EXPECT_EQ(n[0].DivideID, kDivideGreen);
    EXPECT_EQ(n[0].Threshold, 85.0L);
    EXPECT_EQ(n[0].Right, 1);
    EXPECT_EQ(n[0].Left, 4);
    EXPECT_EQ(n[1].DivideID, kDivideRed);
    EXPECT_EQ(n[1].Threshold, 0.0L);
    EXPECT_EQ(n[1].Right, 2);
    EXPECT_EQ(n[1].Left, 3);
    EXPECT_EQ(n[2].DivideID, kDivideUnset);
    EXPECT_EQ(n[3].DivideID, kDivideLeaf);
    EXPECT_EQ(n[3].PaletteIndex, 0);
    EXPECT_EQ(n[4].DivideID, kDivideRed);
    EXPECT_EQ(n[4].Threshold, 127.5L);
    EXPECT_EQ(n[4].Cut, 127);
    EXPECT_EQ(n[5].PaletteIndex, 1);
    EXPECT_EQ(n[6].PaletteIndex, 2);

    struct Case {
        uint8_t red, green, blue;
        int want;
    };
    const Case walks[] = {
        {0, 255, 0, 0},  {255, 0, 0, 1},  {0, 0, 255, 2}, {0, 86, 0, 0},
        {128, 85, 9, 1}, {127, 85, 9, 2}, {1, 86, 0, -1},  // into the empty half: a broken walk, not index 0
    };
    for (const Case& c : walks)
        EXPECT_EQ(WalkSplitTree(tree, c.red, c.green, c.blue), c.want) << int(c.red) << "," << int(c.green);

    TPxSplitTree loop;  // a root that leads back to itself never ends
    loop.Nodes[0].DivideID = kDivideRed;
    EXPECT_EQ(WalkSplitTree(loop, 1, 2, 3), -1);
}

// The real routines against the reference on random pictures of many shapes: same palettes, same
// index for every pixel, same number of progress steps.
TEST(PxReduceReference, LowHighAndEightToFourMatchTheReference) {
    for (uint32_t seed = 1; seed <= 48; ++seed) {
        const int width = seed % 8 == 0 ? 61 + static_cast<int>(seed % 7) : 1 + static_cast<int>(seed * 7 % 29);
        const int height = seed % 8 == 0 ? 47 : 1 + static_cast<int>(seed * 5 % 11);
        const TTestPicture picture = RandomPicture(seed, width, height);
        for (const int depth : {8, 4}) {
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << ", " << width << "x" << height << ", depth " << depth);
            for (const bool high : {false, true}) {
                TRefResult ref;
                const std::vector<int> want = high ? RefHigh(picture, depth, ref) : RefLow(picture, depth, ref);
                std::vector<uint8_t> dst(static_cast<size_t>(PxBitsSize(width, height, depth)), kJunk);
                TPxPalette palette;
                int steps = 0;
                const TPxProgress step = [&] { ++steps; };
                if (high && depth == 8)
                    ConvertTrueColorTo8BitRGBHigh(picture.Source(), dst, palette, step);
                else if (high)
                    ConvertTrueColorTo4BitRGBHigh(picture.Source(), dst, palette, step);
                else if (depth == 8)
                    ConvertTrueColorTo8BitRGBLow(picture.Source(), dst, palette, step);
                else
                    ConvertTrueColorTo4BitRGBLow(picture.Source(), dst, palette, step);
                EXPECT_EQ(Used(palette), ref.Palette) << (high ? "High" : "Low");
                EXPECT_EQ(dst, Pack(want, picture, depth)) << (high ? "High" : "Low");
                EXPECT_EQ(steps, ref.Steps);
                if (depth == 8) {
                    const TPxPalette only = high ? CreateTrueColorPaletteHigh(picture.Source(), {})
                                                 : CreateTrueColorPaletteLow(picture.Source(), {});
                    EXPECT_EQ(Used(only), ref.Palette) << "palette only, " << (high ? "High" : "Low");
                }
            }
        }

        // The 8-bit picture that the Low reduction gives, reduced again to 4 bits.
        TTestPicture eight(width, height, 8);
        std::vector<uint8_t> reduced(static_cast<size_t>(PxBitsSize(width, height, 8)));
        TPxPalette palette;
        ConvertTrueColorTo8BitRGBLow(picture.Source(), reduced, palette, {});
        eight.Bits = reduced;
        // The whole table, the colours in use, or half of them so that some indices read black.
        const uint32_t kept = seed % 3 == 0 ? 256 : seed % 3 == 1 ? palette.Count : palette.Count / 2;
        eight.Colors.assign(palette.Colors.begin(), palette.Colors.begin() + kept);
        TRefResult ref;
        const std::vector<int> want = RefEightToFour(eight, ref);
        std::vector<uint8_t> dst(static_cast<size_t>(PxBitsSize(width, height, 4)), kJunk);
        TPxPalette four;
        int steps = 0;
        Convert8BitRGBTo4BitRGB(eight.Source(), dst, four, [&] { ++steps; });
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", 8 to 4");
        EXPECT_EQ(Used(four), ref.Palette);
        EXPECT_EQ(dst, Pack(want, eight, 4));
        EXPECT_EQ(steps, 16);
    }
}

// The table maps every colour where the tree walk takes it, the walk's dead ends (nodes of empty
// ranges) included, for trees of many splits, of few colours and of one colour.
TEST(PxSplitGrid, MapsColoursLikeTheTreeWalk) {
    uint32_t seed = 99;
    const auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    struct Case {
        const char* name;
        int depth;
        std::vector<TPxTriple> pixels;
    };
    std::vector<Case> cases = {{"three colours", 8, {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}}},
                               {"one colour", 4, std::vector<TPxTriple>(50, TPxTriple{7, 8, 9})},
                               {"noise", 8, {}},
                               {"grey ramp", 4, {}}};
    for (int i = 0; i < 5000; ++i) {
        const uint32_t v = next();
        cases[2].pixels.push_back({uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
        cases[3].pixels.push_back({uint8_t(i % 256), uint8_t(i % 256), uint8_t(i % 256)});
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPxPalette palette;
        TPxSplitTree tree;
        SplitPixels(c.pixels, c.depth, palette, tree, {});
        TPxSplitGrid grid;
        ASSERT_TRUE(grid.Build(tree, size_t{1} << 24));
        int deadEnds = 0;
        for (int i = 0; i < 300000; ++i) {
            const uint32_t v = next();
            const uint8_t r = uint8_t(v >> 8), g = uint8_t(v >> 16), b = uint8_t(v >> 24);
            const int walked = WalkSplitTree(tree, r, g, b);
            deadEnds += walked < 0;
            ASSERT_EQ(grid(r, g, b), walked) << int(r) << " " << int(g) << " " << int(b);
        }
        if (c.pixels.size() == 3) {
            EXPECT_GT(deadEnds, 0);  // few colours leave ranges empty
        }
        for (const TPxTriple& p : c.pixels) {
            ASSERT_EQ(grid(p.Red, p.Green, p.Blue), WalkSplitTree(tree, p.Red, p.Green, p.Blue));
        }
    }
    // A tree of many cuts makes more cells than a small limit allows.
    TPxPalette palette;
    TPxSplitTree tree;
    SplitPixels(cases[2].pixels, 8, palette, tree, {});
    EXPECT_FALSE(TPxSplitGrid().Build(tree, 64));
}

// Pictures of more pixels than a 32-bit block of sums holds, bright enough that the squares of a
// block come near 2^32: the split into a second buffer and the split in place both give the
// reference's palette, and the same tree.
TEST(PxSplit, LargeBrightPicturesSplitAlikeInPlaceAndThroughASecondBuffer) {
    std::mt19937 rng(7);
    TTestPicture picture(331, 229, 24);  // 75,799 pixels
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x)
            picture.SetRgb(x, y, static_cast<uint8_t>(255 - rng() % 3), static_cast<uint8_t>(255 - rng() % 9),
                           static_cast<uint8_t>(200 + rng() % 56));
    std::vector<TPxTriple> pixels;
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x) {
            const uint8_t* p = PixelAt(picture, x, y);
            pixels.push_back(TPxTriple{p[0], p[1], p[2]});
        }
    for (const int depth : {1, 2, 8}) {
        SCOPED_TRACE(depth);
        TRefResult ref;
        RefHigh(picture, depth, ref);
        std::vector<TPxTriple> inPlace = pixels, apart = pixels, scratch(pixels.size());
        TPxPalette inPlacePalette, apartPalette;
        TPxSplitTree inPlaceTree, apartTree;
        SplitPixels(inPlace, depth, inPlacePalette, inPlaceTree, {});
        SplitPixels(apart, scratch, depth, apartPalette, apartTree, {});
        EXPECT_EQ(Used(inPlacePalette), ref.Palette);
        EXPECT_EQ(Used(apartPalette), ref.Palette);
        ASSERT_EQ(apartTree.Used, inPlaceTree.Used);
        for (int i = 0; i < apartTree.Used; ++i) {
            const TPxSplitNode &a = apartTree.Nodes[i], &b = inPlaceTree.Nodes[i];
            EXPECT_EQ(std::tie(a.DivideID, a.Cut, a.Left, a.Right, a.PaletteIndex, a.Threshold),
                      std::tie(b.DivideID, b.Cut, b.Left, b.Right, b.PaletteIndex, b.Threshold))
                << "node " << i;
        }
    }
}
