#pragma once
// The archive list's rows as the main window keeps them: a row's text with the index of its
// member, header-click sorting, moving the focused row, and which commands the selection enables.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/ArchiveEntry.h"

struct TRow {
    std::wstring text;
    int32_t entry = -1;  // index into the member list in archive mode; -1 for a folder row
};

// --- Sorting ---------------------------------------------------------------------------------

inline constexpr int kSortColumns = 6;

struct TSortRequest {
    int column;
    bool descending;
    int lastSortColumn;  // the value to keep: column, or column + 6 after a descending sort
};
// A click on header section `section`: descending when that column was last sorted ascending,
// ascending otherwise. The last sort column starts at 0, so "ファイル名" first sorts descending.
TSortRequest HeaderClick(int lastSortColumn, int section);

// Sorts rows in place by one column with a quicksort whose exchanges follow the rows' compared
// texts exactly: the pivot is the middle row's key, i and j close in from both ends exchanging
// rows, the left part is sorted by recursion and the right part by the loop.
//
// makeKey(fieldText) turns a row's field into a key once per row; compare(a, b) orders two keys
// (negative, zero, positive). Keys that order as the field texts do give the order that comparing
// the texts themselves gives; on Windows they are the locale's sort keys.
template <class MakeKey, class Compare>
void SortRows(std::vector<TRow>& rows, size_t column, bool descending, MakeKey makeKey, Compare compare);

// --- Moving ----------------------------------------------------------------------------------

enum class TRowMove { rmTop, rmUp, rmDown, rmBottom };

// Moves item `focused` of items as the move buttons do and returns the item's new index, the row
// to select; -1 when the move does not apply (no such row, or already at that end).
template <class T>
int MoveItem(std::vector<T>& items, int focused, TRowMove move);

// --- Drawing -------------------------------------------------------------------------------

// Whether a field fits its header section, estimated as half the font's height per byte of its
// ANSI form; a field that does not fit is drawn as "..." entirely, never shortened.
inline bool FieldFitsSection(size_t ansiLength, int sectionWidth, int fontHeight) {
    const int64_t charWidth = (fontHeight < 0 ? -int64_t{fontHeight} : int64_t{fontHeight}) / 2;
    return int64_t{sectionWidth} >= static_cast<int64_t>(ansiLength) * charWidth;
}
inline constexpr wchar_t kCutField[] = L"...";

// --- Commands --------------------------------------------------------------------------------

struct TCommandStates {
    bool selection = false;    // convert and save as bitmap, show selected, copy or move
    bool archiveSave = false;  // save in the stored form (archive mode only)
    bool selectAll = false;
    bool moveUp = false;  // top and up
    bool moveDown = false;  // down and bottom
};
// selected rows s, rows n, focused row r (-1 for none).
TCommandStates CommandStates(int selected, int rows, int focused, bool archiveMode);

// Select all acts only when there are rows and not all of them are selected.
inline bool SelectAllChangesSelection(int selected, int rows) { return rows > 0 && selected < rows; }

// "N個のファイルを選択"
std::wstring SelectedFilesText(int count);

// --- The model ---------------------------------------------------------------------------

// The members of the open archive and the rows the list draws. Rows refer to members by index,
// and the members are replaced only together with the rows, so that no row outlives its member.
class TRowModel {
public:
    // A new member list (a new archive, or none after a failed open): every row goes with the old one.
    void SetEntries(std::vector<TArchiveEntry> entries);
    const std::vector<TArchiveEntry>& Entries() const { return entries_; }

    const std::vector<TRow>& Rows() const { return rows_; }
    size_t RowCount() const { return rows_.size(); }
    // The member a row shows; null for a folder row or a row that does not exist.
    const TArchiveEntry* EntryOf(int row) const;

    void ClearRows() { rows_.clear(); }
    // Rows for the members that patterns list (every member without patterns), in member order.
    // step, when given, is called after each member.
    void FillArchiveRows(const std::vector<std::wstring>& patterns, int biasMinutes,
                         const std::function<void()>& step = {});
    void AddFolderRow(std::wstring text) { rows_.push_back({std::move(text), -1}); }

    template <class MakeKey, class Compare>
    void Sort(size_t column, bool descending, MakeKey makeKey, Compare compare) {
        SortRows(rows_, column, descending, makeKey, compare);
    }
    // Moves the focused row; returns the row to select, -1 when nothing moved.
    int Move(int focused, TRowMove move) { return MoveItem(rows_, focused, move); }

private:
    std::vector<TArchiveEntry> entries_;
    std::vector<TRow> rows_;
};

// --- Template definitions --------------------------------------------------------------------

template <class MakeKey, class Compare>
void SortRows(std::vector<TRow>& rows, size_t column, bool descending, MakeKey makeKey, Compare compare) {
    if (rows.size() < 2) return;
    using Key = decltype(makeKey(std::wstring_view()));
    std::vector<Key> keys;
    keys.reserve(rows.size());
    for (const TRow& row : rows) keys.push_back(makeKey(RowField(row.text, column)));
    auto order = [&](const Key& a, const Key& b) {
        const int c = compare(a, b);
        return descending ? (c < 0) - (c > 0) : c;
    };
    // Indices are signed: j runs to lo - 1, which is -1 for the first part.
    auto sort = [&](auto& self, std::ptrdiff_t lo, std::ptrdiff_t hi) -> void {
        std::ptrdiff_t i = 0;
        do {
            const Key pivot = keys[static_cast<size_t>((lo + hi) / 2)];
            i = lo;
            std::ptrdiff_t j = hi;
            do {
                while (order(keys[static_cast<size_t>(i)], pivot) < 0) ++i;
                while (order(keys[static_cast<size_t>(j)], pivot) > 0) --j;
                if (i <= j) {
                    std::swap(keys[static_cast<size_t>(i)], keys[static_cast<size_t>(j)]);
                    std::swap(rows[static_cast<size_t>(i)], rows[static_cast<size_t>(j)]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (lo < j) self(self, lo, j);
            lo = i;
        } while (i < hi);
    };
    sort(sort, 0, static_cast<std::ptrdiff_t>(rows.size()) - 1);
}

template <class T>
int MoveItem(std::vector<T>& items, int focused, TRowMove move) {
    const int n = static_cast<int>(items.size());
    if (focused < 0 || focused >= n) return -1;
    const auto at = items.begin() + focused;
    switch (move) {
    case TRowMove::rmTop:
        if (focused == 0) return -1;
        std::rotate(items.begin(), at, at + 1);
        return 0;
    case TRowMove::rmUp:
        if (focused == 0) return -1;
        std::swap(*at, *(at - 1));
        return focused - 1;
    case TRowMove::rmDown:
        if (focused == n - 1) return -1;
        std::swap(*at, *(at + 1));
        return focused + 1;
    case TRowMove::rmBottom:
        if (focused == n - 1) return -1;
        std::rotate(at, at + 1, items.end());
        return n - 1;
    }
    return -1;
}
