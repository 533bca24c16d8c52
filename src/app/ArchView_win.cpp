// Showing rows as pictures: the main window decodes a member or a picture file, sizes and places
// the viewer and hands it the picture; it keeps the current index and answers the viewers'
// paging and save commands.
#include <windows.h>

#include "app/ArchMain_win.h"
#include "app/Extraction_win.h"
#include "app/FileUtil.h"
#include "app/FullScreen_win.h"
#include "app/ImgView_win.h"
#include "app/Paging.h"
#include "app/SaveTarget.h"
#include "app/ViewerPlacement.h"
#include "plugins/SPIPxDIB.h"
#include "toolkit/Finally.h"
#include "toolkit/Prompt.h"
#include "toolkit/Streams.h"
#include "toolkit/SystemInfo.h"

namespace {

// Screens of 256 colours or fewer show an 8-bit picture, whose palette GDI can realise.
void FitToScreen(TSPIPxDIB& picture) {
    if (ScreenMetrics().bitsPerPixel <= 8) picture.SetPixelFormat(TPxPixelFormat::pxf8Bit);
}

bool Confirm(const std::wstring& question) {
    return CurrentPrompt().Ask(TPromptKind::pkConfirmation, question, TPromptButtons::pbYesNo) == TPromptAnswer::paYes;
}

}  // namespace

void TSPIMain::CreateViewers() {
    const TSpiRegValues& v = settings_->Values();
    imageView_ = std::make_unique<TImgViewForm>(*this);
    imageView_->Create(v.viewMode, v.imageToolBar);
    fullScreen_ = std::make_unique<TFullScreenForm>(*this, *imageView_);
    fullScreen_->Create();
    imageView_->SetFullScreenForm(fullScreen_.get());
    imageView_->SetToolBar(imageView_->ToolBarShown());  // the full-screen window follows the stored setting
    viewMode_ = imageView_->BrowseMode();
}

bool TSPIMain::ShowMember(int row, bool fullScreen) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.RowCount()) return false;
    imageView_->SetViewerBusy(true);
    TFinally notBusy([this] { imageView_->SetViewerBusy(false); });
    TInSPI* picturePlugin = FilterPicturePlugin();
    std::wstring name;
    if (listMode_ == TListMode::lmArchive) {
        const TArchiveEntry* entry = rows_.EntryOf(row);
        if (!entry) return false;
        TMemoryStream data;
        ExtractMemberToStream(archivePath_, *entry, data, archivePlugin_);
        data.SetPosition(0);
        if (!ShowPictureFromStream(data, entry->fileName, picturePlugin, fullScreen)) return false;
        name = entry->fileName;
    } else {
        const std::wstring& text = rows_.Rows()[static_cast<size_t>(row)].text;
        if (!ShowPictureFromFile(FolderRowPath(text), picturePlugin, fullScreen)) return false;
        name = std::wstring(RowField(text, 0));
    }
    currentIndex_ = row;
    imageView_->SetCurrentName(name);
    fullScreen_->SetCurrentName(name);
    // The stored form can be saved only from an archive: a folder's picture is a file already.
    const bool archive = listMode_ == TListMode::lmArchive;
    imageView_->EnableOriginalSaving(archive);
    fullScreen_->EnableOriginalSaving(archive);
    return true;
}

bool TSPIMain::ShowPictureFromStream(TStream& stream, const std::wstring& name, TInSPI* picturePlugin,
                                     bool fullScreen) {
    TSPIPxDIB picture;
    if (picturePlugin)
        picture.LoadFromStreamSPI(stream, picturePlugin);
    else if (!name.empty())
        picture.LoadFromNamedStream(stream, name);
    else
        picture.LoadFromStream(stream);
    FitToScreen(picture);
    Present(picture, name, fullScreen);
    return true;
}

bool TSPIMain::ShowPictureFromFile(const std::wstring& path, TInSPI* picturePlugin, bool fullScreen) {
    if (!IsExistingFile(path)) throw Exception(path + kDoesNotExist);
    TSPIPxDIB picture;
    if (picturePlugin)
        picture.LoadFromFileSPI(path, picturePlugin);
    else
        picture.LoadFromFile(path);
    FitToScreen(picture);
    Present(picture, NamePart(path), fullScreen);
    return true;
}

void TSPIMain::Present(const TPxDIB& picture, const std::wstring& name, bool fullScreen) {
    const int width = picture.GetWidth(), height = picture.GetHeight();
    if (fullScreen) {
        const TScreenMetrics screen = ScreenMetrics();
        imageView_->Hide();
        fullScreen_->DisplayPicture(picture, FullScreenPictureFrame(width, height, screen.width, screen.height),
                                    FullScreenLabel(name, width, height), viewMode_);
        return;
    }
    fullScreen_->Hide();
    // A minimised window has no place of its own to keep.
    if (IsIconic(imageView_->Handle())) ShowWindow(imageView_->Handle(), SW_RESTORE);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const RECT now = imageView_->Bounds();
    const TPictureFrame frame = ImageViewBounds(width, height, imageView_->ToolPanelHeight(),
                                                TWorkArea{area.left, area.top, area.right, area.bottom}, now.left, now.top);
    imageView_->SetBounds(frame.left, frame.top, frame.width, frame.height);
    imageView_->DisplayPicture(picture, ImageViewCaption(name, width, height), viewMode_);
}

// The paging walks rows; a row whose picture no reader knows is passed over, any other error
// ends the paging and reaches the user.
TShowOutcome TSPIMain::ShowForPaging(int row, bool fullScreen) {
    try {
        return ShowMember(row, fullScreen) ? TShowOutcome::soShown : TShowOutcome::soNotShown;
    } catch (const EInvalidGraphic&) {
        return TShowOutcome::soUndecodable;
    } catch (const EPxDIBInvalidDIBFile&) {
        return TShowOutcome::soUndecodable;
    }
}

bool TSPIMain::Page(bool forward, bool ask, bool fullScreen) {
    const TPagingCallbacks callbacks{[&](int row) { return ShowForPaging(row, fullScreen); }, Confirm};
    int current = currentIndex_;
    const int count = static_cast<int>(rows_.RowCount());
    return forward ? ::ShowNext(current, count, ask, callbacks) : ::ShowPrevious(current, count, ask, callbacks);
}

bool TSPIMain::ShowNext(bool ask, bool fullScreen) { return Page(true, ask, fullScreen); }

bool TSPIMain::ShowPrevious(bool ask, bool fullScreen) { return Page(false, ask, fullScreen); }

bool TSPIMain::ShowAgain(bool fullScreen) { return ShowMember(currentIndex_, fullScreen); }

bool TSPIMain::HasCurrentRow() const {
    return currentIndex_ >= 0 && static_cast<size_t>(currentIndex_) < rows_.RowCount();
}

bool TSPIMain::SaveCurrentAs(const std::wstring& path) {
    if (listMode_ != TListMode::lmArchive || !HasCurrentRow()) return false;
    const TArchiveEntry* entry = rows_.EntryOf(currentIndex_);
    return entry && ExtractMemberToFile(archivePath_, *entry, L"", archivePlugin_, path);
}

bool TSPIMain::SaveCurrentToFolder() {
    if (listMode_ != TListMode::lmArchive || !HasCurrentRow()) return false;
    const TArchiveEntry* entry = rows_.EntryOf(currentIndex_);
    return entry && ExtractMemberToFile(archivePath_, *entry, saveFolder_, archivePlugin_, L"");
}

bool TSPIMain::SaveCurrentAsBitmap() {
    if (!HasCurrentRow()) return false;
    if (listMode_ == TListMode::lmArchive) {
        const TArchiveEntry* entry = rows_.EntryOf(currentIndex_);
        return entry && SaveMemberAsBitmap(archivePath_, *entry, saveFolder_, FilterPicturePlugin(), archivePlugin_, L"");
    }
    return ConvertFileToBitmap(FolderRowPath(rows_.Rows()[static_cast<size_t>(currentIndex_)].text), saveFolder_, L"",
                               FilterPicturePlugin());
}
