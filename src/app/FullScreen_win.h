#pragma once
// The full-screen window: the picture stretched to the bounds the host gives, on a black window
// that covers the whole screen, with the file-name line in the top-left corner and the tool panel
// in the bottom-right one. It pages in full screen; "通常表示" and a switch to another program
// bring the picture back in the image view window.
#include <string>

#include "app/ViewerForm_win.h"
#include "app/ViewerPlacement.h"

class TImgViewForm;

class TFullScreenForm : public TViewerForm {
public:
    TFullScreenForm(TViewerHost& host, TImgViewForm& imageView);
    ~TFullScreenForm() override;

    // Makes the (hidden) window over the whole screen.
    void Create();
    // The host has hidden the image view window: shows the picture (a copy) at frame, with the
    // file-name line.
    void DisplayPicture(const TPxDIB& picture, const TPictureFrame& frame, const std::wstring& label, bool browseMode);
    // The image view window's tool-bar setting: "ツールバー表示" and the tool panel.
    void ApplyToolBar(bool shown);
    const std::wstring& FileNameLabel() const { return label_; }

protected:
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint(HDC dc) override;
    void ScreenCommand() override;
    void ToolBarOpen1Click() override;

private:
    void FormActivate();
    void CoverScreen();
    void ApplicationDeactivate();
    void DrawFileName(HDC dc, POINT origin) const;

    TImgViewForm& imageView_;
    std::wstring label_;
};
