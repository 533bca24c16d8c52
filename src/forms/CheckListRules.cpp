#include "forms/CheckListRules.h"

std::vector<std::wstring> CheckListRows(const std::vector<std::wstring>& sources,
                                        const std::vector<std::wstring>& destinations) {
    std::vector<std::wstring> rows;
    const size_t n = std::min(sources.size(), destinations.size());
    rows.reserve(n);
    for (size_t i = 0; i < n; ++i) rows.push_back(sources[i] + L'\t' + destinations[i]);
    return rows;
}

std::wstring_view CheckListSource(std::wstring_view row) { return row.substr(0, row.find(L'\t')); }

std::wstring_view CheckListDestination(std::wstring_view row) {
    const size_t tab = row.find(L'\t');
    if (tab == std::wstring_view::npos) return {};
    const std::wstring_view rest = row.substr(tab + 1);
    return rest.substr(0, rest.find(L'\t'));
}

TCheckListButtons CheckListButtons(int selected, int count) {
    TCheckListButtons b;
    b.top = b.up = selected > 0 && selected < count;
    b.down = b.last = selected >= 0 && selected < count - 1;
    return b;
}
