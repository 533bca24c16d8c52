#pragma once
// The version dialog: the program's name and version in large shadowed letters on the tiled,
// bevelled background, the author, home page and mail address, and the loaded plug-ins, one row
// each, archive plug-ins on maroon and picture plug-ins on black. Made for one showing.
#include <windows.h>

#include <string>
#include <vector>

#include "imaging/Bevel_win.h"
#include "shell/TabList_win.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Form_win.h"
#include "toolkit/Handles_win.h"

class TSPIs;

class TVersionDialog : public TForm {
public:
    static constexpr int kClientWidth = 435;
    static constexpr int kClientHeight = 422;
    static constexpr COLORREF kArchiveRowColor = RGB(0x80, 0, 0);  // maroon
    static constexpr COLORREF kPictureRowColor = RGB(0, 0, 0);

    explicit TVersionDialog(HWND owner = nullptr);
    ~TVersionDialog() override;

    using TForm::Show;
    // Lists the plug-ins of the set (none for null) and shows the dialog modally; returns when it
    // closes.
    void Show(const TSPIs* plugins);
    // The rows and the versions without showing the dialog.
    void Fill(const TSPIs* plugins);

    TTabListBox& PluginInfoList() { return pluginInfoList_; }
    TButton& VersionOkBtn() { return versionOkBtn_; }
    // The API version of each row's plug-in, in the rows' order.
    const std::vector<std::wstring>& Versions() const { return versions_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnCommand(int id, int code, HWND control) override;
    // The background, the frame and the texts, off screen, then copied in one piece.
    void OnPaint(HDC dc) override;

private:
    void PluginInfoListDrawItem(const TListDrawItem& item);

    TBevelBackground background_;
    std::vector<std::wstring> versions_;
    TUniqueGdiObject titleFont_, versionFont_, lineFont_, legendFont_, listFont_;
    TTabListBox pluginInfoList_;
    TButton versionOkBtn_;
};
