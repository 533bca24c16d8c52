// The main window's member list: rows drawn field by field under the header sections, header-click
// sorting, the move buttons, select all, the pop-up menu and which commands the selection enables.
#include <windows.h>

#include <cstring>
#include <string>

#include "app/ArchMain_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Application_win.h"
#include "toolkit/PaintGuards_win.h"

namespace {

// The locale's sort key of a text: comparing two keys bytewise orders them as the system's
// locale-aware, case-sensitive comparison orders the texts.
std::string SortKey(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    const int size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, text.data(), length, nullptr, 0, nullptr,
                                   nullptr, 0);
    std::string key(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, text.data(), length,
                      reinterpret_cast<LPWSTR>(key.data()), size, nullptr, nullptr, 0);
    return key;
}

int CompareSortKeys(const std::string& a, const std::string& b) {
    const int c = std::strcmp(a.c_str(), b.c_str());  // a key ends at its first zero byte
    return (c > 0) - (c < 0);
}

}  // namespace

void TSPIMain::RowsChanged() {
    list_.List().SetCount(static_cast<int>(rows_.RowCount()));
}

void TSPIMain::DrawRow(const TDataListBox::TDrawItem& item) {
    TDataListBox& list = list_.List();
    if (item.index < 0 || static_cast<size_t>(item.index) >= rows_.RowCount()) return;
    HBRUSH background = item.selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : nullptr;
    TUniqueGdiObject listBrush;
    if (!background) {
        listBrush.reset(CreateSolidBrush(list.Color()));
        background = static_cast<HBRUSH>(listBrush.get());
    }
    FillRect(item.dc, &item.rect, background);
    TTextColors colors(item.dc, GetSysColor(item.selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));

    LOGFONTW font{};
    GetObjectW(list.Font(), sizeof(font), &font);
    const std::wstring& row = rows_.Rows()[static_cast<size_t>(item.index)].text;
    THeader& header = list_.Header();
    int x = item.rect.left;
    for (int column = 0; column < header.SectionCount(); ++column) {
        const int width = header.SectionWidth(column);
        const std::wstring_view field = RowField(row, static_cast<size_t>(column));
        const std::wstring text = FieldFitsSection(WideToAnsi(field).size(), width, font.lfHeight)
                                      ? std::wstring(field)
                                      : std::wstring(kCutField);
        RECT r{x, item.rect.top, item.rect.right, item.rect.bottom};
        DrawTextW(item.dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        x += width;
    }
    if (item.focused) FrameRect(item.dc, &item.rect, GetSysColorBrush(COLOR_WINDOWTEXT));
}

void TSPIMain::HeaderClick(int section) {
    const TSortRequest request = ::HeaderClick(lastSortColumn_, section);
    lastSortColumn_ = request.lastSortColumn;
    SortRows(request.column, request.descending);
}

void TSPIMain::SortRows(int column, bool descending) {
    TBusyScope busy(*this);
    TDataListBox& list = list_.List();
    list.BeginUpdate();
    try {
        rows_.Sort(static_cast<size_t>(column), descending, SortKey, CompareSortKeys);
    } catch (const std::exception&) {
        // A sort that fails stops where it got to, without a message.
    }
    list.EndUpdate();
}

void TSPIMain::MoveFocusedRow(TRowMove move) {
    TDataListBox& list = list_.List();
    list.BeginUpdate();
    const int selected = rows_.Move(list.FocusedRow(), move);
    if (selected >= 0) {
        list.SetSelected(-1, false);
        list.SetSelected(selected, true);
        list.SetFocusedRow(selected);
    }
    list.EndUpdate();
    UpdateCommandStates();
}

void TSPIMain::SelectAll() {
    TDataListBox& list = list_.List();
    if (SelectAllChangesSelection(list.SelCount(), list.Count())) {
        TBusyScope busy(*this);
        list.BeginUpdate();
        list.SetSelected(-1, true);
        list.EndUpdate();
    }
    ListClick();
}

void TSPIMain::ListClick() {
    UpdateCommandStates();
    SetStatusText(SelectedFilesText(list_.List().SelCount()));
}

void TSPIMain::ListRightButtonDown(POINT client) {
    if (list_.List().SelCount() <= 0) return;
    ClientToScreen(list_.List().Handle(), &client);
    listPopup_.Popup(Handle(), client);
}

void TSPIMain::UpdateCommandStates() {
    const TDataListBox& list = list_.List();
    const TCommandStates states =
        CommandStates(list.SelCount(), list.Count(), list.FocusedRow(), listMode_ == TListMode::lmArchive);
    const HMENU menus[] = {Menu(), listPopup_.Menu()};
    const std::pair<int, bool> commands[] = {
        {IDM_MAIN_SAVE_BITMAP, states.selection},
        {IDM_MAIN_BITMAP_TO_SAVE_FOLDER, states.selection},
        {IDM_LIST_SHOW, states.selection},
        {IDM_MAIN_COPY_MOVE, states.selection},
        {IDM_MAIN_SAVE_TO_FOLDER, states.archiveSave},
        {IDM_MAIN_SAVE_TO_SAVE_FOLDER, states.archiveSave},
        {IDM_MAIN_SELECT_ALL, states.selectAll},
    };
    for (HMENU menu : menus)
        for (const auto& [command, enabled] : commands) EnableMenuCommand(menu, command, enabled);
    EnableToolButtons(states);
    moveTop_.SetEnabled(states.moveUp);
    moveUp_.SetEnabled(states.moveUp);
    moveDown_.SetEnabled(states.moveDown);
    moveBottom_.SetEnabled(states.moveDown);
}
