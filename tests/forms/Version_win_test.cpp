// The version dialog on the display with the tests' plug-ins: the rows of its list and their
// colours read back from the screen, the bevelled background, and the ways it opens and closes.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "forms/Version_win.h"
#include "imaging/Bevel_win.h"
#include "plugins/PluginTestEnv.h"
#include "plugins/SPIs.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"
#include "toolkit/GdiGuards_win.h"

namespace {

// What the screen shows of a window's client area, into a buffer of its size.
void CaptureClient(HWND hwnd, TPaintBuffer& buffer) {
    const TWindowDC dc(hwnd);
    BitBlt(buffer.DC(), 0, 0, buffer.Width(), buffer.Height(), dc.get(), 0, 0, SRCCOPY);
}

uint32_t Pixel(const TPaintBuffer& buffer, int x, int y) { return buffer.Pixels().At(x, y) & 0xFFFFFF; }
uint32_t Rgb(COLORREF c) { return static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// Shown on top, outside its modal loop, and painted.
void ShowOnTop(TVersionDialog& dialog) {
    dialog.Show();
    SetForegroundWindow(dialog.Handle());
    RedrawWindow(dialog.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(100);
}

// Keeps the dialog's picture where the forms' screenshots go, and in the test program's folder.
void SaveDialogPng(HWND hwnd, const std::wstring& name) {
    const std::wstring saved = SaveWindowPng(hwnd, name);
    const std::wstring forms = ThisProgramFolder() + L"\\..\\forms\\screenshots";
    CreateDirectoryW(forms.c_str(), nullptr);
    CopyFileW(saved.c_str(), (forms + L"\\" + name + L".png").c_str(), FALSE);
}

class VersionDialogTest : public ::testing::Test {
protected:
    void SetUp() override { Application().Initialize(); }

    // The tests' plug-ins copied under the names given, added to the set in that order.
    void Load(const std::vector<std::pair<const wchar_t*, const wchar_t*>>& copies) {
        for (const auto& [plugin, name] : copies) set.Add(CreateSPI(CopyTestSpi(plugin, folder.Path(), name)));
    }

    TTempDir folder;
    TSPIs set;
};

TEST_F(VersionDialogTest, RowsNameEachPluginAndArchiveRowsAreMaroon) {
    Load({{L"vvarchive", L"vvarchive12.spi"},
          {L"vvimage", L"vvimage.spi"},
          {L"vvimage", L"vvimage-with-a-long-name.spi"},
          {L"vvarchive", L"va.spi"}});
    TVersionDialog dialog;
    dialog.Fill(&set);
    const TTabListBox& list = dialog.PluginInfoList();
    const std::wstring archiveInfo = L"VV test archive plug-in 1.0", imageInfo = L"VV test picture plug-in 1.0";
    struct TRowWanted {
        std::wstring text;
        bool maroon;
    };
    const TRowWanted wanted[] = {
        {L"vvarchive12.spi" + archiveInfo, true},  // exactly fifteen characters: no space
        {L"vvimage.spi    " + imageInfo, false},
        {L"vvimage-with-a-long-name.spi" + imageInfo, false},  // longer: not cut
        {L"va.spi         " + archiveInfo, true},
    };
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(dialog.Versions(), (std::vector<std::wstring>{L"00AM", L"00IN", L"00IN", L"00AM"}));

    ShowOnTop(dialog);
    const RECT client = list.ClientRect();
    TPaintBuffer shown(client.right, client.bottom);
    CaptureClient(list.Handle(), shown);
    for (int row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(list.Item(row), wanted[row].text);
        // Rows are 12 pixels high: the right end of each row holds no text, only its colour.
        const int top = row * 12;
        const uint32_t fill = Rgb(wanted[row].maroon ? TVersionDialog::kArchiveRowColor : TVersionDialog::kPictureRowColor);
        EXPECT_EQ(Pixel(shown, client.right - 3, top + 1), fill);
        EXPECT_EQ(Pixel(shown, client.right - 3, top + 10), fill);
        // The text is white, from two pixels in.
        int white = 0;
        for (int y = top; y < top + 12; ++y)
            for (int x = 0; x < 60; ++x) white += Pixel(shown, x, y) == 0xFFFFFF;
        EXPECT_GT(white, 20);
        EXPECT_EQ(Pixel(shown, 0, top + 6), fill);
    }
    // Below the last row the list's own background: black.
    EXPECT_EQ(Pixel(shown, client.right / 2, 4 * 12 + 6), 0u);
    SaveDialogPng(dialog.Handle(), L"version_dialog");
}

TEST_F(VersionDialogTest, BackgroundIsTheTiledPictureUnderARaisedFrame) {
    TVersionDialog dialog;
    ShowOnTop(dialog);
    const RECT client = dialog.ClientRect();
    ASSERT_EQ(client.right, TVersionDialog::kClientWidth);
    ASSERT_EQ(client.bottom, TVersionDialog::kClientHeight);
    RECT outer{};
    GetWindowRect(dialog.Handle(), &outer);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;

    TBevelBackground background(VV_BITMAP_BACK);
    TPaintBuffer tiles(client.right, client.bottom);
    background.Paint(tiles, {});
    TPaintBuffer shown(client.right, client.bottom);
    CaptureClient(dialog.Handle(), shown);

    // One point inside each band (the bands lie where the dialog's outer size puts them), and one
    // between the left band and the frame, where no text is drawn.
    struct TPoint {
        int x, y;
        int32_t shift;
    };
    const TPoint points[] = {
        {100, 5, kBevelShift},           {5, 150, kBevelShift},       {w - 13, 150, -kBevelShift},
        {100, h - 37, -kBevelShift},     {13, 150, 0},                {20, 264, 0},
    };
    for (const TPoint& p : points) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        ASSERT_LT(p.x, client.right);
        ASSERT_LT(p.y, client.bottom);
        EXPECT_EQ(Pixel(shown, p.x, p.y), ShiftPixel(Pixel(tiles, p.x, p.y), p.shift) & 0xFFFFFF);
    }
    // The legend's colour samples.
    EXPECT_EQ(Pixel(shown, 154, 258), Rgb(TVersionDialog::kPictureRowColor));
    EXPECT_EQ(Pixel(shown, 266, 258), Rgb(TVersionDialog::kArchiveRowColor));
}

TEST_F(VersionDialogTest, OpensWithoutPluginsAndOkOrEscapeClosesIt) {
    const std::pair<WPARAM, int> ways[] = {{0, mrOK}, {VK_ESCAPE, mrCancel}};  // 0: a click on "OK"
    for (const auto& [key, result] : ways) {
        TVersionDialog dialog;
        bool visible = false;
        TModalSteps steps({[&] {
            visible = dialog.Visible();
            SetFocus(dialog.VersionOkBtn().Handle());
            if (key) PostMessageW(dialog.VersionOkBtn().Handle(), WM_KEYDOWN, key, 1);
            else PostMessageW(dialog.VersionOkBtn().Handle(), BM_CLICK, 0, 0);
        }});
        dialog.Show(nullptr);
        EXPECT_EQ(steps.Run(), 1u);
        EXPECT_TRUE(visible);
        EXPECT_EQ(dialog.PluginInfoList().Count(), 0);
        EXPECT_FALSE(dialog.Visible());
        EXPECT_EQ(dialog.ModalResult(), result) << key;
    }
}

}  // namespace
