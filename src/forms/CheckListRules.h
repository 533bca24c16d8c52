#pragma once
// The check list dialog's decisions: which lists it accepts, its rows, its move buttons, and the
// moves, which reorder only the sources (and their member records) so that each source takes the
// destination of the row it lands in.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/RowModel.h"

// Confirm refuses, without showing anything, lists of different lengths and records whose count
// differs from the sources'. Missing lists are null.
template <class Record>
bool CheckListAcceptable(const std::vector<std::wstring>* sources, const std::vector<std::wstring>* destinations,
                         const std::vector<Record>* records) {
    if (!sources || !destinations || sources->size() != destinations->size()) return false;
    return !records || records->size() == sources->size();
}

// Row i: source + tab + destination.
std::vector<std::wstring> CheckListRows(const std::vector<std::wstring>& sources,
                                        const std::vector<std::wstring>& destinations);
// A row's source: the text before its first tab.
std::wstring_view CheckListSource(std::wstring_view row);
// A row's destination: the text after its first tab up to the next tab or the end.
std::wstring_view CheckListDestination(std::wstring_view row);

struct TCheckListButtons {
    bool top = false;
    bool up = false;
    bool down = false;
    bool last = false;
};
// The move buttons for the selected row (-1 for none) of count rows.
TCheckListButtons CheckListButtons(int selected, int count);

// The header's second section takes the rest of its width.
inline int SecondSectionWidth(int headerWidth, int firstWidth) { return headerWidth - firstWidth; }

// Moves the selected source (and its record, when records are given) and returns its new row,
// or -1 when the move does not apply. Up and down exchange neighbours; top and last move it to
// the first or the last place.
template <class Record>
int MoveSource(std::vector<std::wstring>& sources, std::vector<Record>* records, int selected, TRowMove move) {
    const int moved = MoveItem(sources, selected, move);
    if (moved >= 0 && records) MoveItem(*records, selected, move);
    return moved;
}
