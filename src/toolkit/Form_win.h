#pragma once
// Forms, dialogs from templates, pop-up menus and hints.
//
// A top-level form is created once and shown and hidden; closing it hides it (the main form is
// destroyed, which ends the message loop). A modal form is created for one use: ShowModal disables
// its owner and runs a loop of its own until a modal result is set. A dialog from an .rc template
// is one small class whose DlgProc dispatches like a window's WndProc.
//
// A form makes its controls in its constructor, attaches its handlers to their events and
// answers its menu commands in OnCommand:
//
//     class TImgViewForm : public TForm {
//     public:
//         TImgViewForm() {
//             Create(L"TImgViewForm", L"ImgViewForm", 600, 400, WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX);
//             LoadMenuResource(IDR_IMGVIEW_MENU);
//             toolPanel_.Create(Handle(), IDC_IMGVIEW_TOOLPANEL, RECT{0, 0, 600, 25});
//             ...
//             modeBtn_.OnClick = [this] { ModeBtnClick(); };
//         }
//     protected:
//         bool OnCommand(int id, int, HWND) override {
//             switch (id) {
//             case IDM_IMGVIEW_REOPEN: Reopen1Click(); return true;
//             }
//             return false;
//         }
//     };
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "toolkit/Handles_win.h"
#include "toolkit/Window_win.h"

enum TModalResult : int { mrNone = 0, mrOK = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };
enum class TCloseAction { caHide, caFree };

struct TMenuTraits {
    using Handle = HMENU;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DestroyMenu(h); }
};
using TUniqueMenu = TUnique<TMenuTraits>;

// A font by face name and pixel height; raises EOutOfResources when GDI refuses.
TUniqueGdiObject CreateFaceFont(const std::wstring& face, int pixelHeight, int weight = FW_NORMAL, bool italic = false,
                                BYTE charset = DEFAULT_CHARSET);

void EnableMenuCommand(HMENU menu, int command, bool enabled);
void CheckMenuCommand(HMENU menu, int command, bool checked);

// Tooltips for the controls of one window. A hint shows what stands before its first "|", with
// "\r" as a line break.
class THints : public TWindow {
public:
    explicit THints(HWND owner);
    void Add(HWND tool, const std::wstring& hint);
    void Add(const TWindow& tool, const std::wstring& hint) { Add(tool.Handle(), hint); }
    // The text the tooltip holds for a tool; empty when it has none.
    std::wstring TipText(HWND tool) const;
    void SetActive(bool active) { SendMessageW(Handle(), TTM_ACTIVATE, active, 0); }

private:
    HWND owner_;
};

class TForm : public TWindow {
public:
    ~TForm() override;

    // Creates the window, hidden, with the given client size, centred on the screen.
    void Create(const wchar_t* className, const std::wstring& caption, int clientWidth, int clientHeight,
                DWORD style = WS_OVERLAPPEDWINDOW, HWND owner = nullptr);
    void SetClientSize(int width, int height);
    void CenterOnScreen();
    void SetMinTrackSize(int width, int height) { minTrack_ = {width, height}; }
    // The font that the form and the controls made on it use (by face name, pixel height).
    void SetFontFace(const std::wstring& face, int pixelHeight, BYTE charset = DEFAULT_CHARSET, int weight = FW_NORMAL);
    void LoadMenuResource(int id);  // the menu bar; destroyed with the window
    void LoadAcceleratorTable(int id);
    HACCEL Accelerators() const { return accel_; }
    HMENU Menu() const { return GetMenu(Handle()); }
    // Tab and arrow keys move between the controls (IsDialogMessage in the loop), Enter presses the
    // default push button, and the form gives the keyboard focus back to a control whenever it is
    // activated: the one that had it, or the first one Tab reaches.
    void SetDialogKeys(bool on) { dialogKeys_ = on; }
    bool DialogKeys() const { return dialogKeys_; }
    void SetCloseAction(TCloseAction action) { closeAction_ = action; }
    void Close() { SendMessageW(Handle(), WM_CLOSE, 0, 0); }

    // Shows the form modally and returns its modal result (mrCancel when closed).
    int ShowModal();
    void SetModalResult(int result) { modalResult_ = result; }
    int ModalResult() const { return modalResult_; }
    bool Modal() const { return modal_; }

    THints& Hints();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Asked before the form closes; false keeps it open.
    virtual bool CloseQuery() { return true; }

private:
    HACCEL accel_ = nullptr;  // from the module's resources: freed with the module
    TUniqueGdiObject font_;
    POINT minTrack_{0, 0};
    int modalResult_ = mrNone;
    bool modal_ = false;
    bool dialogKeys_ = false;
    HWND lastFocus_ = nullptr;  // the control that had the focus when the form was deactivated
    TCloseAction closeAction_ = TCloseAction::caHide;
    std::unique_ptr<THints> hints_;
};

// A dialog from an .rc template, shown modally for one use.
class TDialog : public TWindow {
public:
    explicit TDialog(int templateId) : templateId_(templateId) {}
    // Runs the dialog and returns what it ended with (IDOK, IDCANCEL, ...).
    INT_PTR ShowModal(HWND owner);
    void End(INT_PTR result) { EndDialog(Handle(), result); }
    HWND Item(int id) const { return GetDlgItem(Handle(), id); }
    THints& Hints();

protected:
    virtual INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp);
    // Fills the controls; false when it set the focus itself.
    virtual bool OnInitDialog() { return true; }
    // Reads the controls back and ends the dialog.
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }

private:
    static INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    int templateId_;
    std::unique_ptr<THints> hints_;
};

// A pop-up menu from an .rc menu resource (its first sub-menu); commands go to the owner's
// WM_COMMAND.
class TPopupMenu {
public:
    explicit TPopupMenu(int resourceId);
    HMENU Menu() const { return GetSubMenu(menu_.get(), 0); }
    void Popup(HWND owner, POINT screen) const;

private:
    TUniqueMenu menu_;
};
