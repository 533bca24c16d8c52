#pragma once
// Palette building by recursive splitting of the colour space, shared by the Low and High
// reductions and by 8 to 4 bits.
//
// split(first, last, depth) on a range of colour items: an empty range makes no entry (at the
// deepest level it is still one progress step). Otherwise the weighted means and variances of
// red, green and blue are taken in extended precision; at the deepest level the range becomes the
// next palette entry (its means rounded, halves to even). Above it the range is partitioned in
// place around the mean of the chosen channel, and the half with the greater values is split
// first, so that it gets the lower palette indices.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/PxConvert.h"

// A colour cell of the Low method (one 16-bit colour code) or of 8 to 4 bits (one old index).
struct TPxColorCell {
    int32_t Red = 0;  // the cell's colour, 0..255 each
    int32_t Green = 0;
    int32_t Blue = 0;
    uint32_t Count = 0;  // pixels in the cell; its palette index once the split has reached it
    uint32_t Key = 0;    // the 16-bit colour code or the old palette index
};

// One pixel of a 24-bit DIB, as the High method copies it.
struct TPxTriple {
    uint8_t Blue;
    uint8_t Green;
    uint8_t Red;
};
static_assert(sizeof(TPxTriple) == 3);

// DivideID of a split-tree node.
enum : uint8_t {
    kDivideRed = 0,
    kDivideGreen = 1,
    kDivideBlue = 2,
    kDivideLeaf = 3,
    kDivideUnset = 0xFF,  // a node that no pixel reaches (an empty range); walking into it is a fault
};

struct TPxSplitNode {
    long double Threshold = 0;  // the split channel's mean
    // The greatest integer not above Threshold, so that a walk compares integers: for a channel
    // value v, v <= Threshold exactly when v <= Cut.
    int16_t Cut = 0;
    uint16_t Left = 0;   // values not greater than the threshold
    uint16_t Right = 0;  // values greater
    uint8_t DivideID = kDivideUnset;
    uint8_t PaletteIndex = 0;
};

// The High method's split tree: node 0 is the root, Used counts the nodes handed out.
struct TPxSplitTree {
    static constexpr int kNodeCount = 512;
    std::array<TPxSplitNode, kNodeCount> Nodes{};
    int Used = 0;
};

// Splits cells (weighted by Count) to the given depth with the Low rule for the split channel.
// Appends the entries to palette and sets each non-empty cell's Count to its palette index.
void SplitColorCells(std::span<TPxColorCell> cells, int depth, TPxPalette& palette, const TPxProgress& progress);

// Splits single pixels to the given depth with the High rule, reordering them, and records the
// splits in tree (which must be fresh). Given scratch of the pixels' size, the halves of each split
// are written from one buffer to the other without a branch per pixel (both are left in no
// particular order); without it, the pixels are split in place.
void SplitPixels(std::span<TPxTriple> pixels,
                 std::span<TPxTriple> scratch,
                 int depth,
                 TPxPalette& palette,
                 TPxSplitTree& tree,
                 const TPxProgress& progress);
void SplitPixels(std::span<TPxTriple> pixels,
                 int depth,
                 TPxPalette& palette,
                 TPxSplitTree& tree,
                 const TPxProgress& progress);

// The palette index of a pixel: the tree is walked from the root, to the left child when the
// split channel's value is not greater than the threshold. Returns -1 when the walk meets a node
// that is neither a split nor a leaf, or does not end within the deepest tree a split makes.
// Inline: the High method walks the tree once per pixel.
inline int WalkSplitTree(const TPxSplitTree& tree, uint8_t red, uint8_t green, uint8_t blue) {
    constexpr int kLongestWalk = 9;                // depth 8 reaches a leaf at the ninth node
    const uint8_t values[3] = {red, green, blue};  // by DivideID
    const TPxSplitNode* n = &tree.Nodes[0];
    for (int visited = 0; visited < kLongestWalk; ++visited) {
        if (n->DivideID >= kDivideLeaf)
            return n->DivideID == kDivideLeaf ? n->PaletteIndex : -1;
        // Left or right without a branch: the comparison is a coin toss on noisy pictures.
        const unsigned greater = values[n->DivideID] > n->Cut ? 1u : 0u;
        const unsigned next = n->Left ^ ((n->Left ^ n->Right) & (0u - greater));
        if (next >= static_cast<unsigned>(TPxSplitTree::kNodeCount))
            return -1;
        n = &tree.Nodes[next];
    }
    return -1;
}

// The same mapping as WalkSplitTree through a table. The cuts of the tree's splits divide each
// channel into intervals whose values all compare alike with every cut, so the colour cube falls
// into cells (one interval of each channel) whose colours all walk to the same place. Each cell is
// walked once, with its smallest colour; a pixel then costs three look-ups and one read of the
// cell table. Pays when the picture has many more pixels than the tree makes cells.
class TPxSplitGrid {
public:
    // Builds the table when the tree makes at most maxCells cells; false (and no table) otherwise.
    bool Build(const TPxSplitTree& tree, size_t maxCells);
    // WalkSplitTree's result for the colour: the palette index, or -1.
    int operator()(uint8_t red, uint8_t green, uint8_t blue) const {
        const uint16_t cell = cells_[offset_[0][red] + offset_[1][green] + offset_[2][blue]];
        return cell == kNoLeaf ? -1 : cell;
    }

private:
    static constexpr uint16_t kNoLeaf = 0xFFFF;
    std::array<std::array<uint32_t, 256>, 3> offset_{};  // by DivideID: interval index x the channel's step
    std::vector<uint16_t> cells_;
};
