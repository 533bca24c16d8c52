// The main window's save commands: the selected rows written to a picked folder or to the save
// folder, as they are stored in the archive or converted to BMP files; and the selected rows
// handed to the file operation dialog, which copies, moves or renames them.
#include <windows.h>

#include "app/ArchMain_win.h"
#include "app/Extraction_win.h"
#include "app/FileUtil.h"
#include "app/SaveTarget.h"
#include "forms/FileOperation_win.h"
#include "toolkit/Application_win.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/Finally.h"
#include "toolkit/Prompt.h"

TInSPI* TSPIMain::FilterPicturePlugin() const {
    const std::vector<TFilterRow> entries = FilterDropDownEntries(filters_);
    const int entry = filter_.ItemIndex();
    if (entry < 0 || static_cast<size_t>(entry) >= entries.size()) return nullptr;
    // The standard entries carry no plug-in: the picture's name chooses one.
    return dynamic_cast<TInSPI*>(entries[static_cast<size_t>(entry)].plugin);
}

// Whether a save of this kind has anything to do: rows are selected, and the stored form is
// saved from archives only.
bool TSPIMain::CanSaveRows(bool asBitmaps) {
    return List().SelCount() > 0 && (asBitmaps || listMode_ == TListMode::lmArchive);
}

void TSPIMain::SaveToPickedFolder(bool asBitmaps) {
    if (!CanSaveRows(asBitmaps)) return;
    TFolderRequest request;
    request.caption = L"保存フォルダの選択";
    request.initialFolder = browseFolder_;
    const std::optional<TFolderChoice> choice = CurrentFileDialogs().ChooseFolder(request);
    if (!choice || choice->path.empty()) return;
    const std::wstring folder = StripTrailingBackslash(choice->path);
    SaveRows(folder, asBitmaps);
    // The picker starts where the stored members went; a bitmap conversion leaves it.
    if (!asBitmaps) browseFolder_ = folder;
}

void TSPIMain::SaveToSaveFolder(bool asBitmaps) {
    if (!IsExistingFolder(saveFolder_) || !CanSaveRows(asBitmaps)) return;
    if (CurrentPrompt().Ask(TPromptKind::pkConfirmation, SaveToFolderQuestion(saveFolder_, asBitmaps),
                            TPromptButtons::pbYesNo) != TPromptAnswer::paYes)
        return;
    SaveRows(StripTrailingBackslash(saveFolder_), asBitmaps);
}

void TSPIMain::SaveRows(const std::wstring& folder, bool asBitmaps) {
    if (listMode_ == TListMode::lmArchive)
        SaveMembers(folder, asBitmaps);
    else
        ConvertFiles(folder);
}

// Save members and Save bitmaps: each selected row's member, stored or as a bitmap, with its name
// in the status bar while it is extracted. The first Cancel or error ends the batch; what was
// written before stays.
void TSPIMain::SaveMembers(const std::wstring& folder, bool asBitmaps) {
    const std::vector<int> selected = List().SelectedRows();
    TInSPI* picturePlugin = asBitmaps ? FilterPicturePlugin() : nullptr;
    TBusyScope busy(*this);
    SetProgressRange(selected.size());
    TFinally done([this] {
        ResetProgress();
        SetStatusText(L"");
    });
    for (int row : selected) {
        const TArchiveEntry* entry = rows_.EntryOf(row);
        if (!entry) continue;
        SetStatusText(ExtractingStatus(entry->fileName));
        RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        progress_.StepIt();
        const bool goOn = asBitmaps
                              ? SaveMemberAsBitmap(archivePath_, *entry, folder, picturePlugin, archivePlugin_, L"")
                              : ExtractMemberToFile(archivePath_, *entry, folder, archivePlugin_, L"");
        if (!goOn) break;
    }
}

// Convert files: each selected row's file on disk to a bitmap; a file removed since the listing
// is passed over. The sources stay.
void TSPIMain::ConvertFiles(const std::wstring& folder) {
    const std::vector<int> selected = List().SelectedRows();
    TInSPI* picturePlugin = FilterPicturePlugin();
    TBusyScope busy(*this);
    SetProgressRange(selected.size());
    TFinally done([this] { ResetProgress(); });
    for (int row : selected) {
        if (row < 0 || static_cast<size_t>(row) >= rows_.RowCount()) continue;
        RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        progress_.StepIt();
        if (!ConvertFileToBitmap(FolderRowPath(rows_.Rows()[static_cast<size_t>(row)].text), folder, L"",
                                 picturePlugin))
            break;
    }
}

void TSPIMain::CopyMoveClick() {
    const bool archive = listMode_ == TListMode::lmArchive;
    TBatchSelection selection;
    for (int row : List().SelectedRows()) {
        if (archive) {
            if (const TArchiveEntry* entry = rows_.EntryOf(row)) selection.members.push_back(*entry);
        } else if (row >= 0 && static_cast<size_t>(row) < rows_.RowCount()) {
            selection.rows.push_back(rows_.Rows()[static_cast<size_t>(row)].text);
        }
    }
    bool listAgain = false;
    {
        TFileOperationDialog dialog(Handle());
        dialog.Prepare(&selection, archive, FilterPicturePlugin(), archivePlugin_, archivePath_);
        listAgain = dialog.Execute(L"", false);
    }  // the dialog writes its settings as it goes
    // Moved and renamed files leave the listing, copies into a listed folder join it. An archive's
    // rows are rebuilt from its members: a rescan of the folders would put files under its name.
    if (listAgain) Refill(CurrentPatterns());
}
