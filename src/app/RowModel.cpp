#include "app/RowModel.h"

#include "app/ArchiveFilters.h"

void TRowModel::SetEntries(std::vector<TArchiveEntry> entries) {
    rows_.clear();
    entries_ = std::move(entries);
}

const TArchiveEntry* TRowModel::EntryOf(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return nullptr;
    const int32_t entry = rows_[static_cast<size_t>(row)].entry;
    return entry >= 0 && static_cast<size_t>(entry) < entries_.size() ? &entries_[static_cast<size_t>(entry)] : nullptr;
}

void TRowModel::FillArchiveRows(const std::vector<std::wstring>& patterns, int biasMinutes,
                                const std::function<void()>& step) {
    rows_.clear();
    rows_.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (patterns.empty() || MemberMatchesPatterns(entries_[i].fileName, patterns))
            rows_.push_back({ArchiveRowText(entries_[i], biasMinutes), static_cast<int32_t>(i)});
        if (step) step();
    }
}

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
