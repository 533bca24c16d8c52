#include "app/ViewerForm_win.h"

#include "app/Extraction_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/ClipboardSession_win.h"
#include "toolkit/Exceptions.h"
#include "toolkit/FileDialogs.h"

namespace {

const int kButtonHeight = 20;
const wchar_t kBitmapFilter[] = L"Bitmapファイル(*.BMP)|*.BMP";
const wchar_t kBitmapExtension[] = L".BMP";

}  // namespace

TViewerForm::TViewerForm(TViewerHost& host, bool fullScreen, bool longPress, int popupMenuId)
    : host_(host), fullScreen_(fullScreen), clicks_(longPress), popup_(popupMenuId) {
    clickTimer_.SetInterval(kClickDelay);
    clickTimer_.OnTimer = [this] { ClickTimerTimer(); };
}

TViewerForm::~TViewerForm() {
    // The window goes while the controls' wrappers are whole.
    Destroy();
}

void TViewerForm::CreateToolPanel(const RECT& bounds, bool topLine, const wchar_t* screenCaption,
                                  const wchar_t* screenHint) {
    toolPanel_.Create(Handle(), IDC_VIEWER_TOOL_PANEL, bounds, TBevel::bvNone, topLine);
    struct TTool {
        TSpeedButton& button;
        int id;
        int command;
        const wchar_t* caption;
        int width;
        const wchar_t* hint;
    };
    const TTool tools[] = {
        {previousOpenBtn_, IDC_VIEWER_PREVIOUS_BTN, IDM_VIEWER_PREVIOUS, L"＜", 25, L"前の画像を開く"},
        {nextOpenBtn_, IDC_VIEWER_NEXT_BTN, IDM_VIEWER_NEXT, L"＞", 25, L"次の画像を開く"},
        {saveInOriginalToFolderBtn_, IDC_VIEWER_SAVE_TO_FOLDER_BTN, IDM_VIEWER_SAVE_TO_FOLDER, L"指Ori", 41,
         L"指定フォルダに保存"},
        {saveInBitmapToFolderBtn_, IDC_VIEWER_BITMAP_TO_FOLDER_BTN, IDM_VIEWER_BITMAP_TO_FOLDER, L"指Bit", 41,
         L"指定フォルダにBitmapに変換保存"},
        {modeBtn_, IDC_VIEWER_MODE_BTN, IDM_VIEWER_MODE, L"閲", 25, L"閲覧モード"},
        {screenBtn_, IDC_VIEWER_SCREEN_BTN, 0, screenCaption, 25, screenHint},
    };
    // The buttons sit centred in the panel's height (under the top line when there is one).
    const int lineHeight = topLine ? 2 : 0;
    const int top = lineHeight + (bounds.bottom - bounds.top - lineHeight - kButtonHeight) / 2;
    int x = 2;
    for (const TTool& tool : tools) {
        tool.button.Create(toolPanel_.Handle(), tool.id, tool.caption, RECT{x, top, x + tool.width, top + kButtonHeight});
        Hints().Add(tool.button, tool.hint);
        const int command = tool.command;
        tool.button.OnClick = [this, command] {
            if (command) OnCommand(command, 0, nullptr);
            else ScreenCommand();
        };
        x += tool.width;
    }
    // A toggle: a group of one that can come up again.
    modeBtn_.SetGroupIndex(1);
    modeBtn_.SetAllowAllUp(true);

    preImage_.OnMouseDown = [this](TMouseButton button, POINT p) {
        ClientToScreen(preImage_.Handle(), &p);
        PreImageMouseDown(button, p);
    };
    preImage_.OnMouseUp = [this](TMouseButton button, POINT) { PreImageMouseUp(button); };
}

void TViewerForm::SetBrowseMode(bool browse) {
    browseMode_ = browse;
    CheckEntry(IDM_VIEWER_MODE, browse);
    modeBtn_.SetDown(browse);
    host_.SetViewMode(browse);
}

void TViewerForm::EnableOriginalSaving(bool enabled) {
    originalSaving_ = enabled;
    EnableEntry(IDM_VIEWER_SAVE_ORIGINAL, enabled);
    EnableEntry(IDM_VIEWER_SAVE_TO_FOLDER, enabled);
}

void TViewerForm::CheckEntry(int command, bool checked) {
    if (HMENU bar = Menu()) CheckMenuCommand(bar, command, checked);
    CheckMenuCommand(popup_.Menu(), command, checked);
}

void TViewerForm::EnableEntry(int command, bool enabled) {
    if (HMENU bar = Menu()) EnableMenuCommand(bar, command, enabled);
    EnableMenuCommand(popup_.Menu(), command, enabled);
}

bool TViewerForm::EntryChecked(int command) const {
    HMENU menu = Menu() ? Menu() : popup_.Menu();
    return (GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TViewerForm::TakePicture(const TPxDIB& picture) {
    auto copy = std::make_unique<TPxDIB>();
    copy->Assign(&picture);
    preImage_.SetGraphic(copy.get());
    picture_ = std::move(copy);
    preImage_.SetEnabled(true);
}

void TViewerForm::ReleasePicture() {
    preImage_.SetGraphic(nullptr);
    picture_.reset();
}

// ---- The mouse

void TViewerForm::PreImageMouseDown(TMouseButton button, POINT screen) {
    Run(clicks_.Press(button == TMouseButton::mbRight, browseMode_), screen);
}

void TViewerForm::PreImageMouseUp(TMouseButton button) {
    clickTimer_.SetEnabled(false);
    Run(clicks_.Release(button == TMouseButton::mbRight, browseMode_), POINT{});
}

void TViewerForm::ClickTimerTimer() {
    clickTimer_.SetEnabled(false);
    POINT cursor{};
    GetCursorPos(&cursor);
    Run(clicks_.TimerExpired(), cursor);
}

void TViewerForm::SetToolColors(COLORREF face, COLORREF caption) {
    for (TSpeedButton* button : {&previousOpenBtn_, &nextOpenBtn_, &saveInOriginalToFolderBtn_,
                                 &saveInBitmapToFolderBtn_, &modeBtn_, &screenBtn_})
        button->SetColors(face, caption);
}

void TViewerForm::Run(TViewerAction action, POINT screen) {
    switch (action) {
    case TViewerAction::vaNone: break;
    case TViewerAction::vaStartTimer:
        clickTimer_.SetInterval(kClickDelay);
        clickTimer_.SetEnabled(true);
        break;
    case TViewerAction::vaPopupAtPoint:
    case TViewerAction::vaPopupAtCursor:
        // The menu takes the mouse for itself.
        if (GetCapture()) ReleaseCapture();
        popup_.Popup(Handle(), screen);
        // The menu took the release that would have cleared the long press: once the button is
        // up, the next click pages again.
        if (action == TViewerAction::vaPopupAtCursor && GetKeyState(VK_RBUTTON) >= 0) SetLongPress(false);
        break;
    case TViewerAction::vaShowNext: host_.ShowNext(false, fullScreen_); break;
    case TViewerAction::vaShowPrevious: host_.ShowPrevious(false, fullScreen_); break;
    }
}

// ---- Commands

bool TViewerForm::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDM_VIEWER_PREVIOUS: PreviousOpenClick(); return true;
    case IDM_VIEWER_NEXT: NextOpenClick(); return true;
    case IDM_VIEWER_SAVE_ORIGINAL:
        // A disabled entry's shortcut still arrives when the window has no menu bar.
        if (originalSaving_) SaveOriginalClick();
        return true;
    case IDM_VIEWER_SAVE_BITMAP: SaveBitmapClick(); return true;
    case IDM_VIEWER_SAVE_TO_FOLDER:
        if (originalSaving_) host_.SaveCurrentToFolder();
        return true;
    case IDM_VIEWER_BITMAP_TO_FOLDER: host_.SaveCurrentAsBitmap(); return true;
    case IDM_VIEWER_COPY: Copy1Click(); return true;
    case IDM_VIEWER_MODE: SetBrowseMode(!browseMode_); return true;
    case IDM_VIEWER_TOOL_BAR: ToolBarOpen1Click(); return true;
    }
    return false;
}

void TViewerForm::SaveOriginalClick() {
    TSaveFileRequest request;
    request.fileName = currentName_;
    if (auto path = CurrentFileDialogs().ChooseFileToSave(request)) host_.SaveCurrentAs(*path);
}

// The picture on show as a BMP file. The dialog has asked before overwriting; the old file is
// replaced only once the new one is complete.
void TViewerForm::SaveBitmapClick() {
    if (!picture_) return;
    TSaveFileRequest request;
    request.filter = kBitmapFilter;
    request.fileName = ForceExtension(currentName_, kBitmapExtension);
    request.forcedExtension = kBitmapExtension;
    auto path = CurrentFileDialogs().ChooseFileToSave(request);
    if (!path) return;
    // The picture may go while the file is written (the window hidden by a message box): keep a copy.
    TPxDIB picture;
    picture.Assign(picture_.get());
    WriteReplacingFile(*path, [&](TStream& out) { picture.SaveToStream(out); });
}

// The picture as a packed DIB (CF_DIB), without a palette: the clipboard owns the memory once it
// has taken it.
void TViewerForm::Copy1Click() {
    if (!picture_) return;
    uint16_t format = 0;
    void* data = nullptr;
    TPaletteHandle palette = nullptr;
    picture_->SaveToClipboardFormat(format, data, palette);
    TClipboardSession clipboard(Handle());
    if (!clipboard.IsOpen() || !EmptyClipboard() || !SetClipboardData(format, data)) {
        GlobalFree(data);
        throw Exception(L"クリップボードに画像をコピーできません。");
    }
}

LRESULT TViewerForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Hidden by ShowWindow (not by an owner's minimising): the picture goes.
    if (msg == WM_SHOWWINDOW && !wp && lp == 0) {
        clickTimer_.SetEnabled(false);
        ReleasePicture();
    }
    return TForm::WndProc(msg, wp, lp);
}
