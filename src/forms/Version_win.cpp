#include "forms/Version_win.h"

#include <string>

#include "forms/VersionRows.h"
#include "plugins/SPIs.h"
#include "resources/ResourceIds.h"
#include "toolkit/GdiGuards_win.h"
#include "toolkit/PaintGuards_win.h"

namespace {

const wchar_t kTitleFace[] = L"ＭＳ Ｐゴシック";
const wchar_t kListFace[] = L"ＭＳ ゴシック";
constexpr COLORREF kSilver = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr int kShadowTitle = 3;    // the title's silver shadow lies this far right of and below it
constexpr int kShadowVersion = 2;  // the version's
constexpr RECT kFrame{16, 24, 16 + 401, 24 + 225};
constexpr RECT kList{16, 272, 16 + 401, 272 + 105};
constexpr RECT kOk{184, 384, 184 + 75, 384 + 25};
constexpr int kLegendTop = 256;
constexpr int kLegendHeight = 14;
constexpr int kLegendWidth = 110;
constexpr int kRowHeight = 12;
constexpr int kRowTextLeft = 2;
constexpr int kListTabStop = 50;  // pixels

// A caption's bounds from its top-left corner; the text is drawn without clipping.
constexpr RECT At(int left, int top, int width = 380, int height = 16) { return RECT{left, top, left + width, top + height}; }

}  // namespace

TVersionDialog::TVersionDialog(HWND owner)
    : background_(VV_BITMAP_BACK),
      titleFont_(CreateFaceFont(kTitleFace, 48, FW_BOLD, false, SHIFTJIS_CHARSET)),
      versionFont_(CreateFaceFont(kTitleFace, 29, FW_NORMAL, true, SHIFTJIS_CHARSET)),
      lineFont_(CreateFaceFont(kTitleFace, 13, FW_BOLD, false, SHIFTJIS_CHARSET)),
      legendFont_(CreateFaceFont(kTitleFace, 12, FW_NORMAL, false, SHIFTJIS_CHARSET)),
      listFont_(CreateFaceFont(kListFace, 12, FW_NORMAL, false, SHIFTJIS_CHARSET)) {
    Create(L"TVersionDialog", kVersionCaption, kClientWidth, kClientHeight,
           WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN, owner);
    SetFontFace(kTitleFace, 12, SHIFTJIS_CHARSET);
    SetDialogKeys(true);

    // Rows drawn here, in the list's own font; no tab stop of the dialog.
    pluginInfoList_.Create(Handle(), IDC_VERSION_PLUGIN_LIST, kList, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS);
    SetWindowLongPtrW(pluginInfoList_.Handle(), GWL_STYLE,
                      GetWindowLongPtrW(pluginInfoList_.Handle(), GWL_STYLE) & ~static_cast<LONG_PTR>(WS_TABSTOP));
    pluginInfoList_.SetFont(static_cast<HFONT>(listFont_.get()));
    pluginInfoList_.SetRowHeight(kRowHeight);
    pluginInfoList_.SetColor(kBlack);
    pluginInfoList_.TabStops().Add(std::to_wstring(kListTabStop));
    pluginInfoList_.OnDrawItem = [this](const TListDrawItem& item) { PluginInfoListDrawItem(item); };

    versionOkBtn_.Create(Handle(), IDC_VERSION_OK, L"OK", kOk, BS_DEFPUSHBUTTON);
    versionOkBtn_.OnClick = [this] { SetModalResult(mrOK); };
}

TVersionDialog::~TVersionDialog() {
    // The window goes while the controls' wrappers are whole.
    Destroy();
}

void TVersionDialog::Fill(const TSPIs* plugins) {
    pluginInfoList_.Clear();
    versions_.clear();
    const int count = plugins ? plugins->Count() : 0;
    for (int i = 0; i < count; ++i) {
        const TSPI& spi = plugins->Items(i);
        pluginInfoList_.Add(PluginRowText(spi.FileName(), spi.Info()));
        versions_.push_back(spi.Version());
    }
}

void TVersionDialog::Show(const TSPIs* plugins) {
    Fill(plugins);
    ShowModal();
}

LRESULT TVersionDialog::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;  // the paint covers every pixel
    return TForm::WndProc(msg, wp, lp);
}

bool TVersionDialog::OnCommand(int id, int, HWND) {
    // Enter and Escape, from the dialog keys.
    switch (id) {
    case IDOK: SetModalResult(mrOK); return true;
    case IDCANCEL: SetModalResult(mrCancel); return true;
    }
    return false;
}

void TVersionDialog::OnPaint(HDC dc) {
    const RECT client = ClientRect();
    RECT outer{};
    GetWindowRect(Handle(), &outer);
    TPaintBuffer buffer(client.right, client.bottom);
    background_.Paint(buffer, DialogBevelFrame(outer.right - outer.left, outer.bottom - outer.top));

    RECT frame = kFrame;
    DrawEdge(buffer.DC(), &frame, EDGE_ETCHED, BF_RECT);

    const HFONT title = static_cast<HFONT>(titleFont_.get());
    const HFONT version = static_cast<HFONT>(versionFont_.get());
    const HFONT line = static_cast<HFONT>(lineFont_.get());
    const HFONT legend = static_cast<HFONT>(legendFont_.get());
    const TBackgroundCaption captions[] = {
        // ShadowLabel and ApplicationLabel
        {kVersionTitle, title, kSilver, At(48 + kShadowTitle, 48 + kShadowTitle, 360, 50)},
        {kVersionTitle, title, kBlack, At(48, 48, 360, 50)},
        // VersionShadowLbl and VersionLabel
        {kVersionText, version, kSilver, At(160 + kShadowVersion, 96 + kShadowVersion, 250, 32)},
        {kVersionText, version, kBlack, At(160, 96, 250, 32)},
        {kVersionAuthor, line, kBlack, At(32, 158)},
        {L"HomePage Address ", line, kBlack, At(32, 174)},
        {kVersionHomePage, line, kBlack, At(48, 192)},
        {L"Mail Address ", line, kBlack, At(32, 208)},
        {kVersionMail, line, kBlack, At(48, 224)},
        // The legend of the list's colours
        {L" Susie Plug-in情報", line, kBlack, At(24, kLegendTop)},
        {L"画像用Plugin", legend, kWhite, At(152, kLegendTop, kLegendWidth, kLegendHeight), DT_CENTER, kPictureRowColor},
        {L"アーカイブ用Plugin", legend, kWhite, At(264, kLegendTop, kLegendWidth, kLegendHeight), DT_CENTER,
         kArchiveRowColor},
    };
    DrawCaptions(buffer.DC(), captions);
    buffer.CopyTo(dc);
}

void TVersionDialog::PluginInfoListDrawItem(const TListDrawItem& item) {
    const bool archive = item.index >= 0 && static_cast<size_t>(item.index) < versions_.size() &&
                         IsArchiveRow(versions_[static_cast<size_t>(item.index)]);
    const TUniqueGdiObject brush(CreateSolidBrush(archive ? kArchiveRowColor : kPictureRowColor));
    RECT row = item.rect;
    FillRect(item.dc, &row, static_cast<HBRUSH>(brush.get()));

    const std::wstring text = pluginInfoList_.Item(item.index);
    const TSelectObject font(item.dc, listFont_.get());
    const TTextColors colors(item.dc, kWhite);
    const int stop = kListTabStop;
    TabbedTextOutW(item.dc, row.left + kRowTextLeft, row.top, text.c_str(), static_cast<int>(text.size()), 1, &stop,
                   row.left + kRowTextLeft);
}
