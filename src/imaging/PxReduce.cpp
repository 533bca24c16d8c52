#include "imaging/PxReduce.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>

namespace {

constexpr int kMaxSplitDepth = 8;  // 2^8 leaves: a palette index is one byte

// Channel values in DivideID order (red, green, blue) and the item's weight.
inline uint32_t Channel(const TPxColorCell& c, int channel) {
    return static_cast<uint32_t>(channel == kDivideRed ? c.Red : channel == kDivideGreen ? c.Green : c.Blue);
}
inline uint32_t Channel(const TPxTriple& p, int channel) {
    return channel == kDivideRed ? p.Red : channel == kDivideGreen ? p.Green : p.Blue;
}
inline uint64_t Weight(const TPxColorCell& c) {
    return c.Count;
}
inline uint64_t Weight(const TPxTriple&) {
    return 1;
}

// Weighted sums of a range: weight, channel values and their squares, by DivideID. They are
// exact integers (below 2^64 for any picture a DIB can hold), so they equal sums taken in
// extended precision whatever the order of the items, and a half's sums are the whole's minus
// the other half's.
struct TSums {
    uint64_t N = 0;
    uint64_t Sum[3] = {};
    uint64_t Squares[3] = {};

    template <class Item>
    void Add(const Item& item) {
        const uint64_t w = Weight(item);
        N += w;
        for (int ch = 0; ch < 3; ++ch) {
            const uint64_t v = Channel(item, ch);
            Sum[ch] += w * v;
            Squares[ch] += w * v * v;
        }
    }

    TSums Minus(const TSums& part) const {
        TSums rest;
        rest.N = N - part.N;
        for (int ch = 0; ch < 3; ++ch) {
            rest.Sum[ch] = Sum[ch] - part.Sum[ch];
            rest.Squares[ch] = Squares[ch] - part.Squares[ch];
        }
        return rest;
    }
};

template <class Item>
TSums Measure(const Item* first, const Item* last) {
    TSums sums;
    for (const Item* p = first; p != last; ++p)
        sums.Add(*p);
    return sums;
}

struct TRangeStats {
    long double Mean[3];  // by DivideID: red, green, blue
    long double Var[3];
};

// Weighted means and variances, in extended precision: the variance is the mean of squares minus
// the square of the mean.
TRangeStats Stats(const TSums& sums) {
    TRangeStats stats;
    const long double count = static_cast<long double>(sums.N);
    for (int ch = 0; ch < 3; ++ch) {
        stats.Mean[ch] = static_cast<long double>(sums.Sum[ch]) / count;
        stats.Var[ch] = static_cast<long double>(sums.Squares[ch]) / count - stats.Mean[ch] * stats.Mean[ch];
    }
    return stats;
}

// The channel to split on, from the variances weighted 3 (red), 4 (green) and 2 (blue); ties go
// to red, then to green. The High method compares green with blue at 4:2, the others at 3:2.
int ChooseChannel(const TRangeStats& stats, bool highRule) {
    const long double vr = stats.Var[kDivideRed];
    const long double vg = stats.Var[kDivideGreen];
    const long double vb = stats.Var[kDivideBlue];
    if (3.0L * vr >= 4.0L * vg && 3.0L * vr >= 2.0L * vb)
        return kDivideRed;
    const bool greenOverBlue = highRule ? 4.0L * vg >= 2.0L * vb : 3.0L * vg >= 2.0L * vb;
    if (4.0L * vg >= 3.0L * vr && greenOverBlue)
        return kDivideGreen;
    return kDivideBlue;
}

// The mean rounded to the nearest integer, halves to even, whatever rounding mode the FPU is in.
uint8_t RoundHalfEven(long double mean) {
    long double whole = std::floor(mean);
    const long double fraction = mean - whole;  // exact for 0 <= mean < 256
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(whole, 2.0L) != 0))
        whole += 1;
    return static_cast<uint8_t>(whole);
}

// Partitions in place: from the left, items not above cut are skipped; from the right, items above
// it; the two found are swapped, until the scans meet. Returns the first item above cut, and the
// sums of the items below it, taken on the way so that no half needs a pass of its own.
template <int ChannelId, class Item>
Item* PartitionOn(Item* first, Item* last, int cut, TSums& lower) {
    const auto value = [](const Item& item) { return static_cast<int>(Channel(item, ChannelId)); };
    while (true) {
        while (first < last && value(*first) <= cut) {
            lower.Add(*first);
            ++first;
        }
        while (first < last && value(last[-1]) > cut)
            --last;
        if (first >= last)
            return first;
        std::swap(*first, last[-1]);
        lower.Add(*first);
        ++first;
        --last;
    }
}

// The same split into out, without a branch per item: each item goes to the low end of out or to
// the high end, by a pointer chosen from the comparison, so noisy pictures cost no mispredicted
// branches. Returns the number of items not above cut; their order is not kept.
template <int ChannelId>
size_t PartitionInto(const TPxTriple* first, const TPxTriple* last, TPxTriple* out, int cut) {
    TPxTriple* low = out;
    TPxTriple* high = out + (last - first) - 1;
    for (; first != last; ++first) {
        const TPxTriple item = *first;
        const size_t isLow = static_cast<int>(Channel(item, ChannelId)) <= cut ? 1 : 0;
        *(isLow ? low : high) = item;
        low += isLow;
        high -= isLow ^ 1;
    }
    return static_cast<size_t>(low - out);
}

// Adds to sums the pixels of [first, last) that mask (all ones or zero for a pixel) lets through.
// The sums are kept in 32 bits over blocks of 65,536 pixels, which no sum of squares can overflow
// (65,536 x 255^2 < 2^32), and then added to the 64-bit ones: a loop the compiler can vectorise,
// and one that leaves a 32-bit build half its registers.
template <class Mask>
void AddSums(const TPxTriple* first, const TPxTriple* last, Mask mask, TSums& sums) {
    constexpr size_t kBlock = 65536;
    while (first != last) {
        const TPxTriple* const end = first + std::min<size_t>(static_cast<size_t>(last - first), kBlock);
        uint32_t n = 0, sumR = 0, sumG = 0, sumB = 0, sqR = 0, sqG = 0, sqB = 0;
        for (; first != end; ++first) {
            const uint32_t m = mask(*first);
            const uint32_t r = first->Red & m, g = first->Green & m, b = first->Blue & m;
            n -= m;  // m is 0 or 0xFFFFFFFF, that is -1
            sumR += r, sumG += g, sumB += b;
            sqR += r * r, sqG += g * g, sqB += b * b;
        }
        sums.N += n;
        sums.Sum[kDivideRed] += sumR, sums.Sum[kDivideGreen] += sumG, sums.Sum[kDivideBlue] += sumB;
        sums.Squares[kDivideRed] += sqR, sums.Squares[kDivideGreen] += sqG, sums.Squares[kDivideBlue] += sqB;
    }
}

// The sums of a range of pixels.
TSums MeasurePixels(const TPxTriple* first, const TPxTriple* last) {
    TSums sums;
    AddSums(first, last, [](const TPxTriple&) { return ~0u; }, sums);
    return sums;
}

// Only the sums of the items not above cut, for a split whose halves are not needed in order.
template <int ChannelId>
void SumLower(const TPxTriple* first, const TPxTriple* last, int cut, TSums& lower) {
    const auto notAbove = [cut](const TPxTriple& item) {
        return static_cast<int>(Channel(item, ChannelId)) <= cut ? ~0u : 0u;
    };
    AddSums(first, last, notAbove, lower);
}

size_t PartitionIntoOn(int channel, const TPxTriple* first, const TPxTriple* last, TPxTriple* out, int cut) {
    switch (channel) {
        case kDivideRed: return PartitionInto<kDivideRed>(first, last, out, cut);
        case kDivideGreen: return PartitionInto<kDivideGreen>(first, last, out, cut);
        default: return PartitionInto<kDivideBlue>(first, last, out, cut);
    }
}

void SumLowerOn(int channel, const TPxTriple* first, const TPxTriple* last, int cut, TSums& lower) {
    switch (channel) {
        case kDivideRed: return SumLower<kDivideRed>(first, last, cut, lower);
        case kDivideGreen: return SumLower<kDivideGreen>(first, last, cut, lower);
        default: return SumLower<kDivideBlue>(first, last, cut, lower);
    }
}

template <class Item>
Item* Partition(Item* first, Item* last, int channel, int cut, TSums& lower) {
    switch (channel) {
        case kDivideRed: return PartitionOn<kDivideRed>(first, last, cut, lower);
        case kDivideGreen: return PartitionOn<kDivideGreen>(first, last, cut, lower);
        default: return PartitionOn<kDivideBlue>(first, last, cut, lower);
    }
}

EPxConvertError SplitFault(const wchar_t* what) {
    return EPxConvertError(TPxFaultKind::pfkAssert, std::wstring(L"Split: ") + what);
}

template <class Item>
class TSplitter {
public:
    TSplitter(int maxDepth, bool highRule, TPxPalette& palette, const TPxProgress& progress, TPxSplitTree* tree)
        : maxDepth_(maxDepth), highRule_(highRule), palette_(palette), progress_(progress), tree_(tree) {}

    // sums are the range's; node is the tree node this range fills, or -1 when there is no tree or
    // no node for it. elsewhere is the same range in a second buffer that the split may write its
    // halves to, or null to split in place.
    void Split(Item* first, Item* last, int depth, int node, const TSums& sums, Item* elsewhere = nullptr) {
        if (first == last) {
            // An empty range makes no entry and no node, but keeps the count of progress steps.
            if (depth == maxDepth_) {
                Step();
            } else {
                Split(first, last, depth + 1, -1, sums);
                Split(first, last, depth + 1, -1, sums);
            }
            return;
        }
        const TRangeStats stats = Stats(sums);
        if (depth == maxDepth_) {
            MakeLeaf(first, last, stats, node);
            Step();
            return;
        }
        const int channel = ChooseChannel(stats, highRule_);
        const long double mean = stats.Mean[channel];
        // Channel values are integers, so comparing them with the floor of the mean is exact.
        const int cut = static_cast<int>(std::floor(mean));
        TSums lower;
        Item* middle = nullptr;
        Item* halvesElsewhere = nullptr;  // where the halves may be split into in turn
        if constexpr (std::is_same_v<Item, TPxTriple>) {
            if (depth + 1 == maxDepth_) {
                // The halves become leaves, which need only their sums: nothing is moved, and the
                // halves are ranges of the right sizes.
                SumLowerOn(channel, first, last, cut, lower);
                middle = first + lower.N;
            } else if (elsewhere != nullptr) {
                const size_t lowCount = PartitionIntoOn(channel, first, last, elsewhere, cut);
                halvesElsewhere = first;
                last = elsewhere + (last - first);
                first = elsewhere;
                middle = first + lowCount;
                // The halves lie apart now: the smaller one is summed, the other is the rest.
                lower = middle - first <= last - middle ? MeasurePixels(first, middle)
                                                        : sums.Minus(MeasurePixels(middle, last));
            } else {
                middle = Partition(first, last, channel, cut, lower);
            }
        } else {
            middle = Partition(first, last, channel, cut, lower);
        }
        int right = -1;
        if (node >= 0) {
            TPxSplitNode& n = tree_->Nodes[node];
            n.DivideID = static_cast<uint8_t>(channel);
            n.Threshold = mean;
            n.Cut = static_cast<int16_t>(cut);
            right = NewNode();
            tree_->Nodes[node].Right = static_cast<uint16_t>(right);
        }
        Split(middle, last, depth + 1, right, sums.Minus(lower),
              halvesElsewhere != nullptr ? halvesElsewhere + (middle - first) : nullptr);
        int left = -1;
        if (node >= 0) {
            left = NewNode();
            tree_->Nodes[node].Left = static_cast<uint16_t>(left);
        }
        Split(first, middle, depth + 1, left, lower, halvesElsewhere);
    }

private:
    void MakeLeaf(Item* first, Item* last, const TRangeStats& stats, int node) {
        if (palette_.Count >= palette_.Colors.size())
            throw SplitFault(L"Too Many Palette Entries");
        const uint32_t index = palette_.Count++;
        palette_.Colors[index] =
            TPxColor{RoundHalfEven(stats.Mean[kDivideBlue]), RoundHalfEven(stats.Mean[kDivideGreen]),
                     RoundHalfEven(stats.Mean[kDivideRed]), 0};
        if constexpr (std::is_same_v<Item, TPxColorCell>) {
            for (Item* p = first; p != last; ++p)
                p->Count = index;
        } else {
            (void)first, (void)last;
        }
        if (node >= 0) {
            tree_->Nodes[node].DivideID = kDivideLeaf;
            tree_->Nodes[node].PaletteIndex = static_cast<uint8_t>(index);
        }
    }

    int NewNode() {
        if (tree_->Used >= TPxSplitTree::kNodeCount)
            throw SplitFault(L"Split Tree Full");
        return tree_->Used++;
    }

    void Step() {
        if (progress_)
            progress_();
    }

    const int maxDepth_;
    const bool highRule_;
    TPxPalette& palette_;
    const TPxProgress& progress_;
    TPxSplitTree* const tree_;
};

void CheckDepth(int depth) {
    if (depth < 0 || depth > kMaxSplitDepth)
        throw SplitFault(L"Invalid Depth");
}

}  // namespace

// Cells are weighted by their pixel counts, so every cell handed in must have pixels.
void SplitColorCells(std::span<TPxColorCell> cells, int depth, TPxPalette& palette, const TPxProgress& progress) {
    CheckDepth(depth);
    for (const TPxColorCell& c : cells) {
        if (c.Count == 0)
            throw SplitFault(L"Empty Color Cell");
    }
    TSplitter<TPxColorCell> splitter(depth, false, palette, progress, nullptr);
    splitter.Split(cells.data(), cells.data() + cells.size(), 0, -1,
                   Measure(cells.data(), cells.data() + cells.size()));
}

void SplitPixels(std::span<TPxTriple> pixels,
                 std::span<TPxTriple> scratch,
                 int depth,
                 TPxPalette& palette,
                 TPxSplitTree& tree,
                 const TPxProgress& progress) {
    CheckDepth(depth);
    if (tree.Used != 0)
        throw SplitFault(L"Split Tree In Use");
    tree.Used = 1;  // the root
    TSplitter<TPxTriple> splitter(depth, true, palette, progress, &tree);
    splitter.Split(pixels.data(), pixels.data() + pixels.size(), 0, 0,
                   MeasurePixels(pixels.data(), pixels.data() + pixels.size()),
                   scratch.size() == pixels.size() ? scratch.data() : nullptr);
}

void SplitPixels(std::span<TPxTriple> pixels,
                 int depth,
                 TPxPalette& palette,
                 TPxSplitTree& tree,
                 const TPxProgress& progress) {
    SplitPixels(pixels, {}, depth, palette, tree, progress);
}

bool TPxSplitGrid::Build(const TPxSplitTree& tree, size_t maxCells) {
    // Which values are cuts, by channel; a value v lies in the interval numbered by the cuts below it.
    std::array<std::array<bool, 256>, 3> isCut{};
    const int used = std::min(tree.Used, TPxSplitTree::kNodeCount);
    for (int i = 0; i < used; ++i) {
        const TPxSplitNode& n = tree.Nodes[i];
        if (n.DivideID < kDivideLeaf && n.Cut >= 0 && n.Cut < 256) isCut[n.DivideID][n.Cut] = true;
    }
    std::array<std::vector<uint8_t>, 3> first;  // the smallest value of each interval, by channel
    std::array<uint32_t, 3> step{};
    size_t cells = 1;
    for (int ch = 0; ch < 3; ++ch) {
        first[ch].push_back(0);
        for (int v = 1; v < 256; ++v) {
            if (isCut[ch][v - 1]) first[ch].push_back(static_cast<uint8_t>(v));
        }
        cells *= first[ch].size();
        if (cells > maxCells) return false;
    }
    // Cells are laid out blue fastest, then green, then red.
    step[kDivideBlue] = 1;
    step[kDivideGreen] = static_cast<uint32_t>(first[kDivideBlue].size());
    step[kDivideRed] = step[kDivideGreen] * static_cast<uint32_t>(first[kDivideGreen].size());
    for (int ch = 0; ch < 3; ++ch) {
        uint32_t interval = 0;
        for (int v = 0; v < 256; ++v) {
            if (v > 0 && isCut[ch][v - 1]) ++interval;
            offset_[ch][v] = interval * step[ch];
        }
    }
    cells_.resize(cells);
    for (const uint8_t r : first[kDivideRed]) {
        for (const uint8_t g : first[kDivideGreen]) {
            for (const uint8_t b : first[kDivideBlue]) {
                const int index = WalkSplitTree(tree, r, g, b);
                cells_[offset_[0][r] + offset_[1][g] + offset_[2][b]] = index < 0 ? kNoLeaf : static_cast<uint16_t>(index);
            }
        }
    }
    return true;
}
