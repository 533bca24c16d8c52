#include "app/Openning_win.h"

#include "resources/ResourceIds.h"

namespace {

const wchar_t kTitle[] = L"Vardeno View";
const wchar_t kVersion[] = L"Version 0.14(β版) ";
const wchar_t kFontFace[] = L"ＭＳ Ｐゴシック";
constexpr COLORREF kSilver = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kShadow = 3;  // the title's silver shadow lies this far right of and below it

}  // namespace

TOpenningDlg::TOpenningDlg()
    : background_(VV_BITMAP_BACK), titleFont_(CreateFaceFont(kFontFace, 48, FW_BOLD, false, SHIFTJIS_CHARSET)),
      versionFont_(CreateFaceFont(kFontFace, 21, FW_BOLD, true, SHIFTJIS_CHARSET)) {
    Create(L"TOpenningDlg", kTitle, kClientWidth, kClientHeight, WS_POPUP);
}

void TOpenningDlg::Show() {
    TForm::Show();
    UpdateWindow(Handle());
}

LRESULT TOpenningDlg::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ERASEBKGND) return 1;  // the paint covers every pixel
    return TForm::WndProc(msg, wp, lp);
}

void TOpenningDlg::OnPaint(HDC dc) {
    const RECT client = ClientRect();
    TPaintBuffer buffer(client.right, client.bottom);
    background_.Paint(buffer, BevelFrame(buffer.Width(), buffer.Height()));

    // The title at the upper left over its shadow, the version line below it towards the right.
    const HFONT title = static_cast<HFONT>(titleFont_.get());
    const HFONT version = static_cast<HFONT>(versionFont_.get());
    const TBackgroundCaption captions[] = {
        {kTitle, title, kSilver, RECT{24 + kShadow, 18 + kShadow, 344 + kShadow, 70 + kShadow}},
        {kTitle, title, kBlack, RECT{24, 18, 344, 70}},
        {kVersion, version, kBlack, RECT{24, 80, 344, 104}, DT_RIGHT},
    };
    DrawCaptions(buffer.DC(), captions);
    buffer.CopyTo(dc);
}
