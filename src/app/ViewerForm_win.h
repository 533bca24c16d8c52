#pragma once
// What the two picture viewers (the image view window and the full-screen window) have in common:
// the picture on show and its name, browse mode, the click timer and long press with the mouse
// rules, the tool panel with its six buttons, the pop-up menu, and the commands that both offer.
// Every command that pages or saves the member goes to the host, which owns the list; the viewer
// itself only writes the picture on show (as BMP, to the clipboard).
//
// A viewer holds a copy of the picture (sharing its pixels) while it is shown and lets it go when
// it is hidden, so paging through many pictures keeps one alive at a time.
#include <windows.h>

#include <memory>
#include <string>

#include "app/ViewerClicks.h"
#include "app/ViewerHost.h"
#include "imaging/PxGraph.h"
#include "toolkit/Form_win.h"
#include "toolkit/Panels_win.h"

class TViewerForm : public TForm {
public:
    ~TViewerForm() override;

    bool BrowseMode() const { return browseMode_; }
    // Checks "閲覧モード" in the viewer's menus, sets the mode button down or up and tells the host.
    void SetBrowseMode(bool browse);
    // "元の形式で保存" and "指定フォルダに保存" (menu bar and pop-up menu): only archive members
    // can be saved in their own form; a picture file of a folder already is one.
    void EnableOriginalSaving(bool enabled);
    bool OriginalSaving() const { return originalSaving_; }
    void SetCurrentName(const std::wstring& name) { currentName_ = name; }
    const std::wstring& CurrentName() const { return currentName_; }
    // The picture on show; null when none.
    const TPxDIB* Picture() const { return picture_.get(); }

    bool LongPress() const { return clicks_.LongPress(); }
    int ClickDelay() const { return kClickDelay; }
    HMENU PopupMenu() const { return popup_.Menu(); }
    TImage& PreImage() { return preImage_; }
    TPanel& ToolPanel() { return toolPanel_; }
    TSpeedButton& ModeBtn() { return modeBtn_; }
    const TTimer& ClickTimer() const { return clickTimer_; }

protected:
    // fullScreen: what the viewer passes to the host's paging; popupMenuId: its pop-up menu.
    TViewerForm(TViewerHost& host, bool fullScreen, bool longPress, int popupMenuId);

    // Makes the tool panel at bounds with the six buttons; the last one switches between the two
    // viewers with the given caption and hint.
    void CreateToolPanel(const RECT& bounds, bool topLine, const wchar_t* screenCaption, const wchar_t* screenHint);
    // The six buttons' face and caption colours.
    void SetToolColors(COLORREF face, COLORREF caption);
    // Takes a copy of the picture (the pixels are shared) and lets the picture area take the mouse.
    void TakePicture(const TPxDIB& picture);
    void SetLongPress(bool longPress) { clicks_.SetLongPress(longPress); }
    // Checks or enables an entry in the menu bar (when there is one) and in the pop-up menu.
    void CheckEntry(int command, bool checked);
    void EnableEntry(int command, bool enabled);
    bool EntryChecked(int command) const;
    // The mouse rules, for presses and releases on the picture (and, in full screen, around it).
    void PreImageMouseDown(TMouseButton button, POINT screen);
    void PreImageMouseUp(TMouseButton button);

    bool OnCommand(int id, int code, HWND control) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // The commands of one viewer only: the switch to the other viewer and the tool bar.
    virtual void ScreenCommand() = 0;
    virtual void ToolBarOpen1Click() = 0;

    TViewerHost& host_;
    TPanel toolPanel_;
    TImage preImage_;

private:
    static constexpr UINT kClickDelay = 500;  // milliseconds a right press is held to open the menu

    void ClickTimerTimer();
    void Run(TViewerAction action, POINT screen);
    void PreviousOpenClick() { host_.ShowPrevious(!browseMode_, fullScreen_); }
    void NextOpenClick() { host_.ShowNext(!browseMode_, fullScreen_); }
    void SaveOriginalClick();
    void SaveBitmapClick();
    void Copy1Click();
    void ReleasePicture();

    bool fullScreen_;
    bool browseMode_ = false;
    bool originalSaving_ = true;
    std::wstring currentName_;
    std::unique_ptr<TPxDIB> picture_;
    TViewerClicks clicks_;
    TTimer clickTimer_;
    TPopupMenu popup_;
    TSpeedButton previousOpenBtn_, nextOpenBtn_, saveInOriginalToFolderBtn_, saveInBitmapToFolderBtn_, modeBtn_,
        screenBtn_;
};
