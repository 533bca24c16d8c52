#include "app/Extraction_win.h"

#include <windows.h>

#include <optional>

#include "app/FileUtil.h"
#include "app/SaveTarget.h"
#include "plugins/SPIBmp.h"
#include "toolkit/Exceptions.h"
#include "toolkit/FileStream.h"

namespace {

// A new file made under a temporary name beside its target, which it becomes on Commit. Until
// then the target is untouched; a file that is never committed is removed.
class TReplacement {
public:
    // Raises EStreamError when the temporary file cannot be made.
    explicit TReplacement(const std::wstring& target) : target_(target) {
        const std::wstring folder = FolderPart(target);
        wchar_t name[MAX_PATH]{};
        // Makes a file of a name no other file in the folder has.
        if (!GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"vv", 0, name))
            throw EFCreateError(target);
        temp_ = name;
        try {
            stream_.emplace(temp_, fmCreate | fmShareExclusive);
        } catch (...) {
            DeleteFileW(temp_.c_str());
            throw;
        }
    }
    ~TReplacement() {
        stream_.reset();
        if (!committed_) DeleteFileW(temp_.c_str());
    }
    TReplacement(const TReplacement&) = delete;
    TReplacement& operator=(const TReplacement&) = delete;

    TStream& Stream() { return *stream_; }

    // Closes the file and moves it over the target; replace allows a target that exists.
    void Commit(bool replace) {
        stream_.reset();
        if (!MoveFileExW(temp_.c_str(), target_.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0))
            throw EWriteError(target_);
        committed_ = true;
    }

private:
    std::wstring target_;
    std::wstring temp_;
    std::optional<TFileStream> stream_;
    bool committed_ = false;
};

Exception WriteFailed(const std::wstring& target) { return Exception(target + kWriteFailed); }

// Asks before overwriting target, then writes it through write(stream) into a replacement. A
// stream error while the file is made or moved into place is the target's write failure; write's
// own errors pass through.
template <class Write>
TSaveOutcome WriteTarget(const std::wstring& target, Write write) {
    bool replace = false;
    switch (AskOverwrite(target)) {
    case TOverwriteAnswer::oaNo: return TSaveOutcome::soSkipped;
    case TOverwriteAnswer::oaCancel: return TSaveOutcome::soCancelled;
    case TOverwriteAnswer::oaYes: replace = true; break;
    case TOverwriteAnswer::oaAbsent: break;
    }
    WriteReplacingFile(target, write, replace);
    return TSaveOutcome::soWritten;
}

bool GoOn(TSaveOutcome outcome) { return outcome != TSaveOutcome::soCancelled; }

}  // namespace

TSaveOutcome SaveBitmapWithQuestion(TSPIBitmap& bitmap, const std::wstring& target) {
    return WriteTarget(target, [&](TStream& out) {
        try {
            bitmap.SaveToStream(out);
        } catch (const std::exception&) {
            throw WriteFailed(target);
        }
    });
}

void WriteReplacingFile(const std::wstring& target, const std::function<void(TStream&)>& write, bool replace) {
    try {
        TReplacement file(target);
        write(file.Stream());
        file.Commit(replace);
    } catch (const EStreamError&) {
        throw WriteFailed(target);
    }
}

bool ExtractMemberToStream(const std::wstring& archive, const TArchiveEntry& entry, TStream& out,
                           TAmSPI* archivePlugin) {
    out.SetPosition(0);
    if (!archivePlugin) throw Exception(kNoArchivePlugin);
    if (!archivePlugin->ExtractFile(archive, entry.position, entry.fileSize, out))
        throw Exception(NamePart(archive) + kCannotExtract);
    return true;
}

bool ExtractMemberToFile(const std::wstring& archive, const TArchiveEntry& entry, const std::wstring& saveFolder,
                         TAmSPI* archivePlugin, const std::wstring& saveName) {
    const std::wstring target = MemberFileTarget(saveFolder, saveName, entry.fileName, IsExistingFolder);
    return GoOn(WriteTarget(target, [&](TStream& out) { ExtractMemberToStream(archive, entry, out, archivePlugin); }));
}

bool SaveMemberAsBitmap(const std::wstring& archive, const TArchiveEntry& entry, const std::wstring& saveFolder,
                        TInSPI* picturePlugin, TAmSPI* archivePlugin, const std::wstring& saveName) {
    TSPIBitmap bitmap;
    LoadMemberPicture(archive, entry, bitmap, picturePlugin, archivePlugin);
    return GoOn(SaveBitmapWithQuestion(bitmap, MemberBitmapTarget(saveFolder, saveName, entry.fileName, IsExistingFolder)));
}

bool ConvertFileToBitmap(const std::wstring& filePath, const std::wstring& saveFolder, const std::wstring& saveName,
                         TInSPI* picturePlugin) {
    if (!IsExistingFile(filePath)) return true;  // the row's file was removed meanwhile
    TSPIBitmap bitmap;
    if (picturePlugin)
        bitmap.LoadFromFileSPI(filePath, picturePlugin);
    else
        bitmap.LoadFromFile(filePath);
    return GoOn(SaveBitmapWithQuestion(bitmap, FileBitmapTarget(saveFolder, saveName, filePath)));
}
