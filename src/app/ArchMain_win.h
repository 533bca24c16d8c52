#pragma once
// The main window: the tool bar, the filer pane (folder tree and file list), the archive pane (the
// status strip with the filter drop-down, the member list under its header and the list-operation
// box) and the status bar with its progress bar. It owns the plug-in set, the member rows and the
// folder list, and answers the commands that open archives and folders.
//
// Browsing (opening archives, folders and paths, refilling the rows) lives in ArchBrowse_win.cpp;
// the member list (drawing, sorting, moving, command states) in ArchList_win.cpp; the save
// commands and the hand-over to the file operation dialog in ArchSave_win.cpp; showing rows in the two viewers, and the viewers' commands, in
// ArchView_win.cpp.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ArchiveFilters.h"
#include "app/RowModel.h"
#include "app/SpiReg_win.h"
#include "app/Paging.h"
#include "app/ViewerHost.h"
#include "plugins/SPIs.h"
#include "shell/NewCtrls_win.h"
#include "shell/ShView_win.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Form_win.h"
#include "toolkit/Panels_win.h"

enum class TListMode { lmArchive, lmFolder };

class TImgViewForm;
class TFullScreenForm;
class TPxDIB;
class TStream;

class TSPIMain : public TForm, public TViewerHost {
public:
    // arguments: the command line's paths (without the program), opened once the window is made.
    explicit TSPIMain(std::vector<std::wstring> arguments = {});
    ~TSPIMain() override;

    // --- Browsing -------------------------------------------------------------------------------
    bool OpenArchive(const std::wstring& path);
    bool OpenFolders(const std::vector<std::wstring>& folders, const std::vector<std::wstring>& patterns, bool append);
    // Decides by the first path: a folder, an archive, or a picture (whose folder is listed).
    bool OpenPaths(const std::vector<std::wstring>& paths, const std::vector<std::wstring>& patterns, bool append);
    // The patterns the filter drop-down selects.
    std::vector<std::wstring> CurrentPatterns() const;
    std::vector<std::wstring> AllPicturePatterns() const;
    void Refill(const std::vector<std::wstring>& patterns);
    // The first plug-in of its kind that accepts the file; null for none or a missing file.
    TAmSPI* FindArchivePlugin(const std::wstring& path) const;
    TInSPI* FindPicturePlugin(const std::wstring& path) const;

    // --- The member list ------------------------------------------------------------------------
    void UpdateCommandStates();
    int FirstSelectedRow() const { return list_.List().FirstSelected(); }
    void SelectAll();
    void HeaderClick(int section);
    void MoveFocusedRow(TRowMove move);

    // --- Viewing ---------------------------------------------------------------------------------
    // Shows a row in the full-screen window or the image view window; true when shown. Errors of
    // extracting and decoding reach the caller.
    bool ShowMember(int row, bool fullScreen);
    bool ShowNext(bool ask, bool fullScreen) override;
    bool ShowPrevious(bool ask, bool fullScreen) override;
    bool ShowAgain(bool fullScreen) override;
    bool SaveCurrentAs(const std::wstring& path) override;
    bool SaveCurrentToFolder() override;
    bool SaveCurrentAsBitmap() override;
    void SetViewMode(bool browse) override { viewMode_ = browse; }
    bool ViewMode() const override { return viewMode_; }
    TImgViewForm& ImageView() { return *imageView_; }
    TFullScreenForm& FullScreen() { return *fullScreen_; }

    // --- State the later windows share ----------------------------------------------------------
    TListMode ListMode() const { return listMode_; }
    const TRowModel& Rows() const { return rows_; }
    const std::vector<std::wstring>& FolderList() const { return folders_; }
    const std::wstring& ArchivePath() const { return archivePath_; }
    TAmSPI* ArchivePlugin() const { return archivePlugin_; }
    int CurrentIndex() const { return currentIndex_; }
    void SetCurrentIndex(int index) { currentIndex_ = index; }
    TSPIs& Plugins() { return *plugins_; }
    const TFilterLists& Filters() const { return filters_; }
    int LastSortColumn() const { return lastSortColumn_; }
    std::wstring StatusText() const { return status_.PanelText(1); }
    void SetStatusText(const std::wstring& text) { status_.SetPanelText(1, text); }
    std::wstring StripText() const { return strip_.Text(); }
    TDataListBox& List() { return list_.List(); }
    THeader& Header() { return list_.Header(); }
    TComboBox& FilterBox() { return filter_; }
    TProgressBar& Progress() { return progress_; }
    bool OperationBoxShown() const { return operationShown_; }
    bool FilerShown() const { return filerShown_; }
    TFolderView& FolderTree() { return folderTree_; }
    TFileView& FileList() { return fileList_; }
    TSpiReg& Settings() { return *settings_; }
    // The folder the save-folder commands write to, and the folder the save picker starts at.
    const std::wstring& SaveFolder() const { return saveFolder_; }
    void SetSaveFolder(const std::wstring& folder) { saveFolder_ = folder; }
    const std::wstring& BrowseFolder() const { return browseFolder_; }
    void SetBrowseFolder(const std::wstring& folder) { browseFolder_ = folder; }
    // The picture plug-in of the filter drop-down's selected entry; null for the standard entries.
    TInSPI* FilterPicturePlugin() const;

protected:
    bool OnCommand(int id, int code, HWND control) override;
    void OnSize(int width, int height) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    struct TToolButtons;

    void CreateToolBar();
    void CreateArchivePane();
    void CreateStatusBar();
    void AttachHints();
    void Layout();
    void BuildFilters();
    void OpenCommandLine();
    void ApplySettings();
    TSpiRegValues CaptureSettings() const;

    // The filer pane
    void CreateFilerPane();
    void LayoutFiler();
    void FolderTreeChange();
    void FileListDblClick();
    void ShowFiler(bool shown);
    TSpeedButton& FilerToggle();
    void FilerToggleClick();
    void FilerMenuClick();
    void UpFolderClick();
    void SetFileListSmallIcons(bool smallIcons);
    // Moves the folder tree to a folder without the tree's change event listing it.
    void SelectTreeFolder(const std::wstring& folder);

    // Browsing
    void OpenArchiveClick();
    void OpenFolderClick();
    void FilesDropped(const std::vector<std::wstring>& files);
    void SetStrip(TListMode mode, const std::wstring& source);
    void RefillArchive(const std::vector<std::wstring>& patterns);
    void RefillFolders(const std::vector<std::wstring>& patterns);
    void ScanFolders(const std::vector<std::wstring>& patterns);
    template <class Fill>
    void RunRefill(size_t steps, const wchar_t* status, Fill fill);
    bool ReadArchiveList(const std::wstring& path, std::vector<TArchiveEntry>& entries, TAmSPI*& plugin);
    void ShowFoundFiles() { SetStatusText(FoundFilesText(rows_.RowCount())); }
    void ShowOpenFolders();
    void ResetProgress() { progress_.SetPosition(0); }
    void SetProgressRange(size_t maximum);

    // The member list
    void DrawRow(const TDataListBox::TDrawItem& item);
    void ListClick();
    void ListRightButtonDown(POINT client);
    void RowsChanged();  // the list's count follows the model; no selection is kept
    void EnableToolButtons(const TCommandStates& states);
    void SortRows(int column, bool descending);
    void ListOperationToggleClick();

    // Saving the selected rows
    bool CanSaveRows(bool asBitmaps);
    void SaveToPickedFolder(bool asBitmaps);
    void SaveToSaveFolder(bool asBitmaps);
    void SaveRows(const std::wstring& folder, bool asBitmaps);
    void SaveMembers(const std::wstring& folder, bool asBitmaps);
    void ConvertFiles(const std::wstring& folder);
    // "ファイルのコピー・移動": the selected rows handed to the file operation dialog.
    void CopyMoveClick();
    // "各種設定": the settings dialog on the plug-in set and the save folder.
    void SetUpClick();

    // Viewing
    void CreateViewers();
    bool ShowPictureFromStream(TStream& stream, const std::wstring& name, TInSPI* picturePlugin, bool fullScreen);
    bool ShowPictureFromFile(const std::wstring& path, TInSPI* picturePlugin, bool fullScreen);
    void Present(const TPxDIB& picture, const std::wstring& name, bool fullScreen);
    TShowOutcome ShowForPaging(int row, bool fullScreen);
    bool Page(bool forward, bool ask, bool fullScreen);
    bool HasCurrentRow() const;

    // "バージョン情報": the version dialog with the loaded plug-ins.
    void AboutClick();

    // Commands of windows not yet part of the program
    void CommandNotAvailable(const std::wstring& command);

    std::vector<std::wstring> arguments_;
    std::unique_ptr<TSpiReg> settings_;
    std::wstring saveFolder_;
    std::wstring browseFolder_;
    bool filerShown_ = true;
    bool operationShown_ = true;
    std::unique_ptr<TSPIs> plugins_;
    TFilterLists filters_;
    TRowModel rows_;
    std::vector<std::wstring> folders_;
    std::wstring archivePath_;
    TAmSPI* archivePlugin_ = nullptr;
    TListMode listMode_ = TListMode::lmFolder;
    int currentIndex_ = -1;
    bool viewMode_ = false;  // the viewers' shared browse mode
    int lastSortColumn_ = 0;
    bool folderChangeArmed_ = false;

    TToolBar toolBar_;
    std::unique_ptr<TToolButtons> tools_;
    TPanel toolBarRight_;
    TPanel filer_;
    TFileView fileList_;
    TFolderView folderTree_;  // after the list: the tree, which drives the list, goes first
    TSplitter filerSplitter_;
    int treeWidth_ = 200;
    TSplitter lowerSplitter_;
    TPanel archivePane_;
    TPanel strip_;
    TButton details_;
    TComboBox filter_;
    TSpeedButton listOperation_;
    THeaderListBox list_;
    TPanel operationBox_;
    TSpeedButton moveTop_, moveUp_, moveDown_, moveBottom_;
    TStatusBar status_;
    TProgressBar progress_;
    TPopupMenu listPopup_;
    std::unique_ptr<TFileDrop> fileDrop_;
    // The viewers, made after the main window and gone before it.
    std::unique_ptr<TImgViewForm> imageView_;
    std::unique_ptr<TFullScreenForm> fullScreen_;
    int filerHeight_ = 189;
};
