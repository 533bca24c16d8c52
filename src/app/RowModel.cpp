#include "app/RowModel.h"

TSortRequest HeaderClick(int lastSortColumn, int section) {
    if (section == lastSortColumn) return {section, true, section + kSortColumns};
    return {section, false, section};
}

TCommandStates CommandStates(int selected, int rows, int focused, bool archiveMode) {
    TCommandStates states;
    states.selection = selected > 0;
    states.archiveSave = selected > 0 && archiveMode;
    states.selectAll = rows > 0;
    // A single selection moves the focused row, which must be one of the rows.
    const bool single = selected == 1 && focused >= 0 && focused < rows;
    states.moveUp = single && focused > 0;
    states.moveDown = single && focused < rows - 1;
    return states;
}

std::wstring SelectedFilesText(int count) { return std::to_wstring(count) + L"個のファイルを選択"; }
