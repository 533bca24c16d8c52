#include "forms/CheckList_win.h"

#include <algorithm>

#include "app/FileUtil.h"
#include "forms/CheckListRules.h"
#include "resources/ResourceIds.h"
#include "toolkit/GdiGuards_win.h"
#include "toolkit/PaintGuards_win.h"

namespace {

constexpr int kClientWidth = 596;
constexpr int kClientHeight = 332;
constexpr int kBand = 41;          // the top and bottom bands
constexpr int kButtonColumn = 30;  // the move buttons' column on the right
constexpr int kMoveButton = 29;
constexpr int kHeaderHeight = 17;
constexpr int kRowHeight = 16;
constexpr int kStartSection = 200;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

constexpr UINT kTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

void DrawField(HDC dc, std::wstring_view text, RECT r) {
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r, kTextFormat);
}

}  // namespace

TCheckListDlg::TCheckListDlg(HWND owner) {
    Create(L"TCheckListDlg", L"確認ダイアログ", kClientWidth, kClientHeight,
           WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, owner);
    SetFontFace(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
    SetDialogKeys(true);

    title_.Create(Handle(), IDC_CHECKLIST_TITLE, L"変更元と変更先の一覧リスト", RECT{8, 4, 300, 18});
    redNote_.Create(Handle(), IDC_CHECKLIST_RED_NOTE, L"赤文字：削除されるファイル", RECT{8, 22, 170, 36});
    blueNote_.Create(Handle(), IDC_CHECKLIST_BLUE_NOTE, L"青文字：すでに存在するファイル（上書き確認が出ます）",
                     RECT{180, 22, 520, 36});

    list_.Create(Handle(), IDC_CHECKLIST_LIST, RECT{0, kBand, kClientWidth, kClientHeight - kBand}, kHeaderHeight,
                 kRowHeight, false);
    HeaderControl1().AddSection(L"変更元", kStartSection);
    HeaderControl1().AddSection(L"変更先", kStartSection);
    HeaderControl1().OnSectionResize = [this] { ApplyHeaderRule(); };
    CheckListBox().SetColor(RGB(255, 255, 255));
    CheckListBox().OnDrawItem = [this](const TDataListBox::TDrawItem& item) { DrawRow(item); };
    CheckListBox().OnGetText = [this](int index) { return rows_.at(static_cast<size_t>(index)); };
    CheckListBox().OnClick = [this] { UpdateButtons(); };

    struct TMoveButton {
        TSpeedButton& button;
        int id;
        const wchar_t* glyph;
        const wchar_t* hint;
        TRowMove move;
    };
    const TMoveButton buttons[] = {
        {moveTopBtn_, IDC_CHECKLIST_TOP, VV_GLYPH_MOVE_TOP, L"リストの一番上に移動します。|", TRowMove::rmTop},
        {moveUpBtn_, IDC_CHECKLIST_UP, VV_GLYPH_MOVE_UP, L"ひとつ上に移動します|", TRowMove::rmUp},
        {moveDownBtn_, IDC_CHECKLIST_DOWN, VV_GLYPH_MOVE_DOWN, L"ひとつ下に移動します", TRowMove::rmDown},
        {moveLastBtn_, IDC_CHECKLIST_LAST, VV_GLYPH_MOVE_LAST, L"リストの一番下に移動します。|", TRowMove::rmBottom},
    };
    int top = kBand + kHeaderHeight;
    for (const TMoveButton& b : buttons) {
        b.button.Create(Handle(), b.id, L"", RECT{kClientWidth - kButtonColumn, top, kClientWidth - kButtonColumn + kMoveButton,
                                                  top + kMoveButton});
        b.button.LoadGlyph(b.glyph);
        b.button.SetEnabled(false);
        b.button.Hide();
        const TRowMove move = b.move;
        b.button.OnClick = [this, move] { Move(move); };
        Hints().Add(b.button, b.hint);
        top += kMoveButton + 4;
    }

    const int buttonTop = kClientHeight - kBand + (kBand - kButtonHeight) / 2;
    okBtn_.Create(Handle(), IDC_CHECKLIST_OK, L"続行",
                  RECT{kClientWidth - 2 * (kButtonWidth + 12), buttonTop, kClientWidth - kButtonWidth - 24,
                       buttonTop + kButtonHeight},
                  BS_DEFPUSHBUTTON);
    cancelBtn_.Create(Handle(), IDC_CHECKLIST_CANCEL, L"キャンセル",
                      RECT{kClientWidth - kButtonWidth - 12, buttonTop, kClientWidth - 12, buttonTop + kButtonHeight});
    okBtn_.OnClick = [this] { Finish(true); };
    cancelBtn_.OnClick = [this] { Finish(false); };
}

bool TCheckListDlg::Confirm(std::vector<std::wstring>* sources, const std::vector<std::wstring>* destinations,
                            bool renaming, bool sourcesDeleted, std::vector<TArchiveEntry>* records) {
    if (!CheckListAcceptable(sources, destinations, records)) return false;
    sources_ = sources;
    destinations_ = destinations;
    records_ = records;
    renaming_ = renaming;
    sourcesDeleted_ = sourcesDeleted;
    result_ = false;
    for (TSpeedButton* b : {&moveTopBtn_, &moveUpBtn_, &moveDownBtn_, &moveLastBtn_}) b->Show(renaming);
    const RECT client = ClientRect();
    OnSize(client.right, client.bottom);

    destinationExists_.assign(destinations->size(), false);
    for (size_t i = 0; i < destinations->size(); ++i) destinationExists_[i] = IsExistingFile((*destinations)[i]);
    FillRows();
    UpdateButtons();
    ApplyHeaderRule();
    ShowModal();
    return result_;
}

void TCheckListDlg::OnSize(int width, int height) {
    if (!list_.Handle()) return;
    // The move buttons' column is there only while they are shown.
    const int listWidth = width - (renaming_ ? kButtonColumn : 0);
    list_.SetBounds(0, kBand, std::max(listWidth, 0), std::max(height - 2 * kBand, 0));
    ApplyHeaderRule();
}

void TCheckListDlg::FillRows() {
    rows_ = CheckListRows(*sources_, *destinations_);
    TDataListBox& list = CheckListBox();
    list.SetCount(0);
    list.SetCount(static_cast<int>(rows_.size()));
    list.Invalidate();
}

void TCheckListDlg::ApplyHeaderRule() {
    THeader& header = HeaderControl1();
    if (header.SectionCount() < 2) return;
    const int width = SecondSectionWidth(header.ClientRect().right, header.SectionWidth(0));
    // Setting the width reports a resize again; the second time there is nothing to change.
    if (header.SectionWidth(1) != width) header.SetSectionWidth(1, std::max(width, 0));
    CheckListBox().Invalidate();
}

void TCheckListDlg::DrawRow(const TDataListBox::TDrawItem& item) {
    if (item.index < 0 || static_cast<size_t>(item.index) >= rows_.size()) return;
    FillRect(item.dc, &item.rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const std::wstring& row = rows_[static_cast<size_t>(item.index)];
    const int split = item.rect.left + HeaderControl1().SectionWidth(0);

    const COLORREF sourceColor = sourcesDeleted_ ? kDeletedSourceColor : RGB(0, 0, 0);
    const std::wstring_view source = CheckListSource(row);
    RECT sourceRect{item.rect.left, item.rect.top, split, item.rect.bottom};
    const bool marked = item.focused || item.selected;
    if (marked) {
        // The chosen row's source in white on its own colour.
        SIZE extent{};
        GetTextExtentPoint32W(item.dc, source.data(), static_cast<int>(source.size()), &extent);
        RECT back{sourceRect.left, sourceRect.top, std::min<LONG>(sourceRect.left + extent.cx + 2, split), sourceRect.bottom};
        TUniqueGdiObject brush(CreateSolidBrush(sourceColor));
        if (brush) FillRect(item.dc, &back, static_cast<HBRUSH>(brush.get()));
    }
    {
        TTextColors colors(item.dc, marked ? RGB(255, 255, 255) : sourceColor);
        sourceRect.left += 1;
        DrawField(item.dc, source, sourceRect);
    }
    const bool exists = static_cast<size_t>(item.index) < destinationExists_.size() &&
                        destinationExists_[static_cast<size_t>(item.index)];
    TTextColors colors(item.dc, exists ? kExistingDestinationColor : RGB(0, 0, 0));
    DrawField(item.dc, CheckListDestination(row), RECT{split + 1, item.rect.top, item.rect.right, item.rect.bottom});
    if (item.focused) FrameRect(item.dc, &item.rect, GetSysColorBrush(COLOR_WINDOWTEXT));
}

void TCheckListDlg::UpdateButtons() {
    const TCheckListButtons states = CheckListButtons(CheckListBox().FirstSelected(), CheckListBox().Count());
    moveTopBtn_.SetEnabled(states.top);
    moveUpBtn_.SetEnabled(states.up);
    moveDownBtn_.SetEnabled(states.down);
    moveLastBtn_.SetEnabled(states.last);
}

void TCheckListDlg::Move(TRowMove move) {
    if (!sources_) return;
    TDataListBox& list = CheckListBox();
    const int moved = MoveSource(*sources_, records_, list.FirstSelected(), move);
    if (moved >= 0) {
        FillRows();
        // The moved source stays chosen, so that it can be moved on.
        list.SetSelected(moved, true);
        list.SetFocusedRow(moved);
    }
    UpdateButtons();
}

void TCheckListDlg::Finish(bool result) {
    result_ = result;
    SetModalResult(result ? mrOK : mrCancel);
}

bool TCheckListDlg::OnCommand(int id, int, HWND) {
    // Enter and Escape, as the dialog keys send them.
    if (id == IDOK || id == IDCANCEL) {
        Finish(id == IDOK);
        return true;
    }
    return false;
}
