#include "app/FullScreen_win.h"

#include <windowsx.h>

#include "app/ImgView_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"
#include "toolkit/PaintGuards_win.h"
#include "toolkit/SystemInfo.h"

namespace {

const int kToolPanelWidth = 186;
const int kToolPanelHeight = 27;
const int kToolPanelMargin = 20;  // from the screen's right and bottom edges
const POINT kFileNameAt{5, 5};
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kAqua = RGB(0, 255, 255);
// Posted when the application loses the activation: the switch back to the image view runs once
// the activation change is over.
const UINT WM_VIEWER_DEACTIVATED = WM_APP + 1;

RECT ScreenRect() {
    const TScreenMetrics screen = ScreenMetrics();
    return RECT{0, 0, screen.width, screen.height};
}

}  // namespace

TFullScreenForm::TFullScreenForm(TViewerHost& host, TImgViewForm& imageView)
    : TViewerForm(host, true, false, IDR_FULLSCREEN_POPUP), imageView_(imageView) {}

TFullScreenForm::~TFullScreenForm() {
    if (Handle()) Application().OnDeactivate = nullptr;
}

void TFullScreenForm::Create() {
    const RECT screen = ScreenRect();
    TForm::Create(L"TFullScreenForm", L"", screen.right, screen.bottom, WS_POPUP | WS_CLIPCHILDREN);
    SetFontFace(L"ＭＳ ゴシック", 12, SHIFTJIS_CHARSET);
    LoadAcceleratorTable(IDR_FULLSCREEN_ACCEL);
    CoverScreen();

    preImage_.Create(Handle(), IDC_VIEWER_PRE_IMAGE, RECT{});
    preImage_.SetStretch(true);
    preImage_.SetColor(kBlack);
    preImage_.SetEnabled(false);  // no clicks until there is a picture
    // The file-name line stands over the picture where the two meet.
    preImage_.OnPainted = [this](HDC dc) {
        const RECT at = preImage_.Bounds();
        DrawFileName(dc, POINT{kFileNameAt.x - at.left, kFileNameAt.y - at.top});
    };
    const RECT panel{screen.right - kToolPanelWidth - kToolPanelMargin, screen.bottom - kToolPanelHeight - kToolPanelMargin,
                     screen.right - kToolPanelMargin, screen.bottom - kToolPanelMargin};
    CreateToolPanel(panel, false, L"常", L"通常表示");
    toolPanel_.SetSolidBackground(kBlack);
    SetToolColors(kBlack, kAqua);
    // Over the picture, which may reach into the corner.
    SetWindowPos(toolPanel_.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    Application().OnDeactivate = [this] { PostMessageW(Handle(), WM_VIEWER_DEACTIVATED, 0, 0); };
}

void TFullScreenForm::DisplayPicture(const TPxDIB& picture, const TPictureFrame& frame, const std::wstring& label,
                                     bool browseMode) {
    SetBrowseMode(browseMode);
    label_ = label;
    preImage_.SetBounds(frame.left, frame.top, frame.width, frame.height);
    TakePicture(picture);
    Invalidate();
    Show();
}

void TFullScreenForm::ApplyToolBar(bool shown) {
    CheckEntry(IDM_VIEWER_TOOL_BAR, shown);
    toolPanel_.Show(shown);
}

void TFullScreenForm::CoverScreen() {
    const RECT screen = ScreenRect();
    RECT now{};
    GetWindowRect(Handle(), &now);
    if (!EqualRect(&now, &screen)) SetBounds(0, 0, screen.right, screen.bottom);
}

void TFullScreenForm::FormActivate() {
    CoverScreen();
    imageView_.SetToolBar(imageView_.ToolBarShown());
}

void TFullScreenForm::ApplicationDeactivate() {
    if (Visible()) host_.ShowAgain(false);
}

void TFullScreenForm::ScreenCommand() { host_.ShowAgain(false); }

void TFullScreenForm::ToolBarOpen1Click() { imageView_.SetToolBar(!imageView_.ToolBarShown()); }

bool TFullScreenForm::OnCommand(int id, int code, HWND control) {
    if (id == IDM_VIEWER_NORMAL_VIEW) {
        ScreenCommand();
        return true;
    }
    return TViewerForm::OnCommand(id, code, control);
}

void TFullScreenForm::DrawFileName(HDC dc, POINT origin) const {
    if (label_.empty()) return;
    TSelectObject font(dc, Font());
    TTextColors colors(dc, kAqua);  // transparent: the picture shows between the letters
    TextOutW(dc, origin.x, origin.y, label_.c_str(), static_cast<int>(label_.size()));
}

void TFullScreenForm::OnPaint(HDC dc) { DrawFileName(dc, kFileNameAt); }

LRESULT TFullScreenForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Presses around the picture follow the same rules as presses on it.
    TMouseButton button{};
    bool press = false;
    if (MouseButtonMessage(msg, button, press)) {
        if (press) {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(Handle(), &p);
            SetCapture(Handle());
            PreImageMouseDown(button, p);
        } else {
            if (GetCapture() == Handle() && !(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
            PreImageMouseUp(button);
        }
        return 0;
    }
    switch (msg) {
    case WM_ERASEBKGND: {
        const RECT r = ClientRect();
        TUniqueGdiObject brush(CreateSolidBrush(kBlack));
        FillRect(reinterpret_cast<HDC>(wp), &r, static_cast<HBRUSH>(brush.get()));
        return 1;
    }
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) FormActivate();
        break;
    case WM_VIEWER_DEACTIVATED: ApplicationDeactivate(); return 0;
    }
    return TViewerForm::WndProc(msg, wp, lp);
}
