#include "app/ImgView_win.h"

#include "app/FullScreen_win.h"
#include "resources/ResourceIds.h"

namespace {

const int kWidth = 614;  // the window's outer size until the first picture sizes it
const int kHeight = 444;
const int kToolPanelHeight = 25;

}  // namespace

TImgViewForm::TImgViewForm(TViewerHost& host) : TViewerForm(host, false, true, IDR_IMGVIEW_POPUP) {}

void TImgViewForm::Create(bool browseMode, bool toolBar) {
    TForm::Create(L"TImgViewForm", L"ImgViewForm", kWidth, kHeight, WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX);
    SetFontFace(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
    LoadMenuResource(IDR_IMGVIEW_MENU);
    LoadAcceleratorTable(IDR_IMGVIEW_ACCEL);
    SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterOnScreen();

    const RECT client = ClientRect();
    CreateToolPanel(RECT{0, 0, client.right, kToolPanelHeight}, true, L"全", L"全画面表示（フルスクリーン表示）");
    preImage_.Create(Handle(), IDC_VIEWER_PRE_IMAGE, RECT{0, kToolPanelHeight, client.right, client.bottom});
    preImage_.SetEnabled(false);  // no clicks until there is a picture

    SetBrowseMode(browseMode);
    SetToolBar(toolBar);
}

bool TImgViewForm::ToolBarShown() const { return EntryChecked(IDM_VIEWER_TOOL_BAR); }

void TImgViewForm::SetToolBar(bool shown) {
    CheckEntry(IDM_VIEWER_TOOL_BAR, shown);
    toolPanel_.Show(shown);
    Layout();
    if (fullScreen_) fullScreen_->ApplyToolBar(shown);
}

// From the setting, not the panel: the host asks before the window shows.
int TImgViewForm::ToolPanelHeight() const { return ToolBarShown() ? kToolPanelHeight : 0; }

void TImgViewForm::SetViewerBusy(bool busy) {
    if (busy && !busy_) busy_ = std::make_unique<TBusyScope>(*this);
    if (!busy) busy_.reset();
    preImage_.SetEnabled(!busy);
    SetLongPress(busy);
}

void TImgViewForm::DisplayPicture(const TPxDIB& picture, const std::wstring& caption, bool browseMode) {
    SetBrowseMode(browseMode);
    TakePicture(picture);
    SetText(caption);
    Show();
}

bool TImgViewForm::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDM_VIEWER_REOPEN: host_.ShowAgain(false); return true;
    case IDM_VIEWER_FULL_SCREEN: ScreenCommand(); return true;
    case IDM_VIEWER_CLOSE: Close(); return true;
    }
    return TViewerForm::OnCommand(id, code, control);
}

void TImgViewForm::OnSize(int, int) { Layout(); }

// The tool panel across the top when shown; the picture area fills the rest.
void TImgViewForm::Layout() {
    if (!preImage_.Handle()) return;
    const RECT client = ClientRect();
    const int top = ToolPanelHeight();
    if (top) toolPanel_.SetBounds(0, 0, client.right, top);
    preImage_.SetBounds(0, top, client.right, client.bottom - top);
}
