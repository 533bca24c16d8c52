// The main window's browsing: opening an archive, folders or dropped and named paths, refilling the
// member rows under the filter, and the status strip and status texts that tell what is open.
#include <windows.h>

#include <utility>

#include "app/ArchMain_win.h"
#include "app/FileUtil.h"
#include "app/ImgView_win.h"
#include "app/SaveTarget.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Application_win.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/Finally.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

// The folder that holds a file, without a trailing backslash.
std::wstring FolderOf(const std::wstring& path) { return StripTrailingBackslash(FolderPart(path)); }

// The first plug-in of class T that the plug-in set offers for the file and that accepts it.
template <class T>
T* FindPlugin(const TSPIs& plugins, const std::wstring& path) {
    if (!IsExistingFile(path)) return nullptr;
    const std::vector<T*> candidates = plugins.SPIListOf<T>(path);
    if (candidates.empty()) return nullptr;
    const std::vector<uint8_t> head = ReadFileHead(path);
    for (T* spi : candidates)
        if (SPIIsSupported(*spi, path, head)) return spi;
    return nullptr;
}

TDate LocalDateOf(const FILETIME& utc) {
    FILETIME local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return {1980, 1, 1};
    return {st.wYear, st.wMonth, st.wDay};
}

// Case-insensitive order of folder names as the system's locale sorts them.
bool FolderLess(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

}  // namespace

TAmSPI* TSPIMain::FindArchivePlugin(const std::wstring& path) const { return FindPlugin<TAmSPI>(*plugins_, path); }

TInSPI* TSPIMain::FindPicturePlugin(const std::wstring& path) const { return FindPlugin<TInSPI>(*plugins_, path); }

std::vector<std::wstring> TSPIMain::AllPicturePatterns() const {
    std::vector<std::wstring> patterns;
    for (const TFilterRow& row : filters_.picturePatterns) patterns.push_back(row.text);
    return patterns;
}

std::vector<std::wstring> TSPIMain::CurrentPatterns() const {
    const int entry = filter_.ItemIndex();
    return ::CurrentPatterns(filters_, static_cast<size_t>(std::max(entry, 0)), listMode_ == TListMode::lmArchive);
}

void TSPIMain::SetProgressRange(size_t maximum) {
    progress_.SetRange(0, static_cast<int>(std::min<size_t>(maximum, INT32_MAX)));
    progress_.SetStep(1);
}

bool TSPIMain::ReadArchiveList(const std::wstring& path, std::vector<TArchiveEntry>& entries, TAmSPI*& plugin) {
    plugin = FindArchivePlugin(path);
    if (!plugin) return false;
    std::vector<TSusieFileInfo> records;
    // A plug-in that answers an error or hands back no block is treated as one that does not
    // accept the file.
    if (!plugin->ReadArchiveInfo(path, records)) return false;
    SetProgressRange(records.size());
    entries.reserve(records.size());
    const TAnsiDecoder decode = [](std::string_view text) { return AnsiToWide(text); };
    for (const TSusieFileInfo& record : records) {
        entries.push_back(ArchiveEntryFromRecord(record, decode));
        progress_.StepIt();
    }
    ResetProgress();
    return true;
}

bool TSPIMain::OpenArchive(const std::wstring& path) {
    TFinally selectAllFiles([this] { filter_.SetItemIndex(0); });
    TBusyScope busy(*this);
    rows_.SetEntries({});
    RowsChanged();
    SetStatusText(kStatusReadingArchive);
    archivePath_ = path;
    folders_.clear();

    std::vector<TArchiveEntry> entries;
    TAmSPI* plugin = nullptr;
    const bool read = ReadArchiveList(path, entries, plugin);
    archivePlugin_ = plugin;
    if (!read) {
        SetStatusText(kStatusArchiveFailed);
        return false;
    }
    rows_.SetEntries(std::move(entries));
    listMode_ = TListMode::lmArchive;
    RefillArchive({});
    SetStrip(TListMode::lmArchive, path);
    SetStatusText(FoundFilesText(rows_.Entries().size()));
    return true;
}

void TSPIMain::Refill(const std::vector<std::wstring>& patterns) {
    if (listMode_ == TListMode::lmArchive)
        RefillArchive(patterns);
    else
        RefillFolders(patterns);
}

// A refill's frame: the progress bar over steps, a status text while it runs, the window busy;
// at the end, also after an error, the progress bar empty, the rows shown and their count.
template <class Fill>
void TSPIMain::RunRefill(size_t steps, const wchar_t* status, Fill fill) {
    SetProgressRange(steps);
    SetStatusText(status);
    TBusyScope busy(*this);
    TFinally done([this] {
        ResetProgress();
        RowsChanged();
        ShowFoundFiles();
    });
    fill();
}

void TSPIMain::RefillArchive(const std::vector<std::wstring>& patterns) {
    rows_.ClearRows();
    if (rows_.Entries().empty()) {
        RowsChanged();
        return;
    }
    RunRefill(rows_.Entries().size(), kStatusRefilling,
              [&] { rows_.FillArchiveRows(patterns, TimeZoneBias(), [this] { progress_.StepIt(); }); });
}

void TSPIMain::RefillFolders(const std::vector<std::wstring>& patterns) {
    rows_.SetEntries({});
    if (folders_.empty() || patterns.empty()) {
        RowsChanged();
        return;
    }
    RunRefill(folders_.size(), kStatusSearchingFolders, [&] { ScanFolders(patterns); });
}

void TSPIMain::ScanFolders(const std::vector<std::wstring>& patterns) {
    for (size_t i = 0; i < folders_.size();) {
        const std::wstring folder = folders_[i];
        if (!IsExistingFolder(folder)) {
            folders_.erase(folders_.begin() + static_cast<std::ptrdiff_t>(i));  // a folder that vanished goes quietly
            progress_.StepIt();
            continue;
        }
        const std::wstring base = StripTrailingBackslash(folder);
        for (const std::wstring& mask : PatternMasks(patterns)) {
            WIN32_FIND_DATAW found{};
            const std::wstring search = base + L"\\" + mask;
            HANDLE find = FindFirstFileExW(search.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
            if (find == INVALID_HANDLE_VALUE) continue;
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L".." || found.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY) continue;
                const uint64_t size = (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
                rows_.AddFolderRow(FolderRowText(name, size, LocalDateOf(found.ftCreationTime), folder));
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        progress_.StepIt();
        Application().ProcessMessages();
        ++i;
    }
}

bool TSPIMain::OpenFolders(const std::vector<std::wstring>& folders, const std::vector<std::wstring>& patterns,
                           bool append) {
    TFinally selectAllFiles([this] { filter_.SetItemIndex(0); });
    TBusyScope busy(*this);
    archivePath_.clear();
    folders_ = MergeFolderList(folders_, folders, append, FolderLess);
    listMode_ = TListMode::lmFolder;
    RefillFolders(patterns);
    SetStrip(TListMode::lmFolder, FolderStripSource(folders.empty() ? L"" : folders.front(), folders_.size()));
    return true;
}

bool TSPIMain::OpenPaths(const std::vector<std::wstring>& paths, const std::vector<std::wstring>& patterns, bool append) {
    if (paths.empty()) return false;
    const std::wstring& first = paths.front();
    if (IsExistingFolder(first)) {
        SelectTreeFolder(first);
        return OpenFolders(paths, patterns, append);
    }
    if (FindArchivePlugin(first)) {
        const bool opened = OpenArchive(first);
        SelectTreeFolder(FolderOf(first));
        return opened;
    }
    if (FindPicturePlugin(first)) {
        SelectTreeFolder(FolderOf(first));
        const bool opened = OpenFolders({FolderOf(first)}, patterns, append);
        // The picture named is shown at once, from its row.
        const std::wstring name = NamePart(first);
        for (size_t row = 0; imageView_ && row < rows_.RowCount(); ++row) {
            if (RowField(rows_.Rows()[row].text, 0) == name) {
                // A picture that cannot be shown is reported; the folder stays listed.
                try {
                    ShowMember(static_cast<int>(row), false);
                } catch (...) {
                    Application().HandleException();
                }
                break;
            }
        }
        return opened;
    }
    return false;
}

void TSPIMain::SetStrip(TListMode mode, const std::wstring& source) {
    const TStatusStrip strip = mode == TListMode::lmArchive ? ArchiveStatusStrip(source) : FolderStatusStrip(source);
    strip_.SetText(strip.caption);
    details_.Show(strip.detailsButton);
    if (mode == TListMode::lmArchive) {
        list_.List().SetColor(GetSysColor(COLOR_WINDOW));
        strip_.SetColors(COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT);
    } else {
        list_.List().SetColor(GetSysColor(COLOR_MENU));
        strip_.SetColors(COLOR_BTNFACE, COLOR_BTNTEXT);
    }
    // The picture on show belonged to the old listing.
    currentIndex_ = -1;
    if (imageView_) imageView_->Hide();
}

void TSPIMain::ShowOpenFolders() {
    CurrentPrompt().Ask(TPromptKind::pkInformation, OpenFoldersMessage(folders_), TPromptButtons::pbOK);
}

void TSPIMain::OpenArchiveClick() {
    TOpenFileRequest request;
    request.filter = OpenDialogFilter(filters_);
    request.initialDir = folderTree_.SelectedPath();
    const std::vector<std::wstring> files = CurrentFileDialogs().ChooseFilesToOpen(request);
    if (files.empty()) return;
    SelectTreeFolder(FolderOf(files.front()));
    OpenArchive(files.front());
}

void TSPIMain::OpenFolderClick() {
    TFolderRequest request;
    request.caption = L"開くフォルダの選択";
    request.initialFolder = folderTree_.SelectedPath();
    const std::optional<TFolderChoice> choice = CurrentFileDialogs().ChooseFolder(request);
    // Only a folder with a file-system path can be listed.
    if (!choice || choice->path.empty()) return;
    SelectTreeFolder(choice->path);
    OpenFolders({choice->path}, AllPicturePatterns(), false);
}

void TSPIMain::FilesDropped(const std::vector<std::wstring>& files) {
    OpenPaths(files, AllPicturePatterns(), GetKeyState(VK_CONTROL) < 0);
}
