#pragma once
// Extracting archive members and saving members and picture files as BMP files: the routines the
// main window's save commands run per row, and that the viewers and the file operations use for
// one file. Each takes what it needs (the archive, the member, the plug-ins, the target) rather
// than a window.
//
// The routines that write answer true to go on with a batch and false to stop it (the user
// chose Cancel at the overwrite question); failures raise Exception with a fixed message. A save
// folder or a save name is given, never both: the save name is empty when a folder is given.
//
// An existing target is replaced only once the new file is complete: the content is written to a
// temporary file beside the target first. A failure leaves the old file as it was and no
// temporary file behind.
#include <functional>
#include <string>

#include "app/ArchiveEntry.h"
#include "plugins/SPIs.h"
#include "toolkit/Streams.h"

class TSPIBitmap;

// Writes a new file at target through write(stream) and puts it in place of an existing target
// only once it is complete (replace allows a target that exists). A stream error while the file is
// made or moved into place raises target + kWriteFailed; write's own errors pass through.
void WriteReplacingFile(const std::wstring& target, const std::function<void(TStream&)>& write, bool replace = true);

// What became of one file: written, skipped at the overwrite question (No), or the batch stopped
// there (Cancel).
enum class TSaveOutcome { soWritten, soSkipped, soCancelled };

// Asks before overwriting target, then saves the bitmap there as a BMP file through a
// replacement; a failed write raises target + kWriteFailed and leaves an existing target as it was.
TSaveOutcome SaveBitmapWithQuestion(TSPIBitmap& bitmap, const std::wstring& target);

// Writes the member (exactly its uncompressed size) to out from position 0. Raises
// kNoArchivePlugin without a plug-in and the archive's name + kCannotExtract when the plug-in fails.
bool ExtractMemberToStream(const std::wstring& archive, const TArchiveEntry& entry, TStream& out,
                           TAmSPI* archivePlugin);

// Extracts the member to save folder + "\" + its file name, or to the save name (see
// MemberFileTarget). Asks before overwriting: No skips the member (true), Cancel stops (false).
bool ExtractMemberToFile(const std::wstring& archive, const TArchiveEntry& entry, const std::wstring& saveFolder,
                         TAmSPI* archivePlugin, const std::wstring& saveName);

// Decodes the member into picture (TSPIBitmap, TSPIPxDIB) through picturePlugin, or, without
// one, through the plug-in its file name and contents choose.
template <class TPicture>
bool LoadMemberPicture(const std::wstring& archive, const TArchiveEntry& entry, TPicture& picture,
                       TInSPI* picturePlugin, TAmSPI* archivePlugin) {
    TMemoryStream data;
    ExtractMemberToStream(archive, entry, data, archivePlugin);
    data.SetPosition(0);
    if (picturePlugin)
        picture.LoadFromStreamSPI(data, picturePlugin);
    else
        picture.LoadFromNamedStream(data, entry.fileName);
    return true;
}

// Decodes the member and saves it as a BMP file to save folder + "\" + its file name with the
// extension ".BMP", or to the save name. Decoding errors propagate; a failed write raises the
// target + kWriteFailed. Asks before overwriting as ExtractMemberToFile does.
bool SaveMemberAsBitmap(const std::wstring& archive, const TArchiveEntry& entry, const std::wstring& saveFolder,
                        TInSPI* picturePlugin, TAmSPI* archivePlugin, const std::wstring& saveName);

// Decodes a picture file and saves it as a BMP file in the save folder, under the save name or
// the file's own name with the extension ".BMP". A file that does not exist (empty path included)
// is passed over (true).
bool ConvertFileToBitmap(const std::wstring& filePath, const std::wstring& saveFolder, const std::wstring& saveName,
                         TInSPI* picturePlugin);
