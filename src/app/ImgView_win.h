#pragma once
// The image view window: one picture at its actual size under the tool panel, in an ordinary
// window that the host sizes to the picture. It is made once and shown by DisplayPicture; closing
// it hides it. Its "ツールバー表示" entry holds the tool-bar setting of both viewers.
#include <memory>
#include <string>

#include "app/ViewerForm_win.h"
#include "toolkit/Application_win.h"

class TFullScreenForm;

class TImgViewForm : public TViewerForm {
public:
    explicit TImgViewForm(TViewerHost& host);

    // Makes the (hidden) window with the two stored settings.
    void Create(bool browseMode, bool toolBar);
    // The full-screen window, whose tool panel follows this window's setting (null: none).
    void SetFullScreenForm(TFullScreenForm* fullScreen) { fullScreen_ = fullScreen; }

    bool ToolBarShown() const;
    // Checks "ツールバー表示" in both menus and shows or hides the tool panels of both viewers.
    void SetToolBar(bool shown);
    // The tool panel's height when it is shown, else 0.
    int ToolPanelHeight() const;
    // While the host decodes: the window and its picture disabled, the hourglass, and releases
    // that arrive meanwhile do not page.
    void SetViewerBusy(bool busy);
    bool ViewerBusy() const { return busy_ != nullptr; }
    // The host has set the bounds: shows the picture (a copy) under the caption.
    void DisplayPicture(const TPxDIB& picture, const std::wstring& caption, bool browseMode);

protected:
    bool OnCommand(int id, int code, HWND control) override;
    void OnSize(int width, int height) override;
    void ScreenCommand() override { host_.ShowAgain(true); }
    void ToolBarOpen1Click() override { SetToolBar(!ToolBarShown()); }

private:
    void Layout();

    TFullScreenForm* fullScreen_ = nullptr;
    std::unique_ptr<TBusyScope> busy_;
};
