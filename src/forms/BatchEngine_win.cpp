#include "forms/BatchEngine_win.h"

#include <windows.h>

#include "app/Extraction_win.h"
#include "app/FileUtil.h"
#include "app/SaveTarget.h"
#include "forms/BatchTexts.h"
#include "forms/CheckList_win.h"
#include "plugins/SPIBmp.h"
#include "toolkit/Application_win.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Exceptions.h"
#include "toolkit/Finally.h"
#include "toolkit/Label.h"

namespace {

TBatchConfirmation& InstalledConfirmation() {
    static TBatchConfirmation confirmation;
    return confirmation;
}

bool Confirm(TBatchList& list) {
    const TBatchConfirmation& installed = InstalledConfirmation();
    return installed ? installed(list) : ShowCheckList(list);
}

void DeleteSource(const std::wstring& source) {
    if (!DeleteFileW(source.c_str())) throw Exception(kDeleteFailed);
}

// One picture file converted to destination; true to go on with the batch. The source is deleted
// (move, overwrite) only once the destination is completely written and is another file.
bool ConvertOne(const std::wstring& source, const std::wstring& destination, const TBatchOptions& options,
                const std::wstring& suffix, TBatchProgress& progress) {
    const std::wstring name = NamePart(source);
    progress.SetStatus(name + kConvertingSuffix);
    progress.Repaint();
    TSPIBitmap bitmap;
    bool decoded = true;
    try {
        if (options.picturePlugin)
            bitmap.LoadFromFileSPI(source, options.picturePlugin);
        else
            bitmap.LoadFromFile(source);
    } catch (const EInvalidGraphic&) {
        decoded = false;
    }

    bool done = false;
    if (decoded) {
        progress.SetStatus(name + suffix);
        progress.Repaint();
        const TSaveOutcome outcome = SaveBitmapWithQuestion(bitmap, destination);
        if (outcome == TSaveOutcome::soCancelled) return false;
        // C:\x\a.bmp written as C:\x\a.BMP is the same file: it is the result, not a leftover.
        done = outcome == TSaveOutcome::soWritten && !IsSameFile(destination, source);
    } else if (options.errorToOriginal) {
        progress.SetStatus(std::wstring(kConversionFailed) + suffix);
        progress.Repaint();
        // The file as it is, under the destination's name with the source's extension. When that
        // is the source itself there is nothing to write and nothing to delete.
        const std::wstring original = ReplaceExtension(destination, ExtensionPart(source));
        if (!IsSameFile(original, source)) {
            const TCopyResult copied = CopyWithQuestionResult(source, original);
            if (copied == TCopyResult::crCancelled) return false;
            done = copied == TCopyResult::crCopied;
        }
    }
    if (done && options.kind != TBatchKind::bkCopy) DeleteSource(source);
    return true;
}

bool TransferOne(const std::wstring& source, const std::wstring& destination, TBatchKind kind) {
    switch (kind) {
    case TBatchKind::bkMove: return MoveWithQuestion(source, destination);
    case TBatchKind::bkOverwrite: return RenameWithQuestion(source, destination);
    default: return CopyWithQuestion(source, destination);
    }
}

// One member extracted (and converted) to destination; true to go on with the batch.
bool ExtractOne(const TArchiveEntry& member, const std::wstring& destination, const TBatchOptions& options,
                TBatchProgress& progress) {
    if (!options.convert) {
        progress.SetStatus(member.fileName + kExtractingSuffix);
        progress.Repaint();
        return ExtractMemberToFile(options.archivePath, member, L"", options.archivePlugin, destination);
    }
    progress.SetStatus(member.fileName + kExtractingConvertingSuffix);
    progress.Repaint();
    try {
        return SaveMemberAsBitmap(options.archivePath, member, L"", options.picturePlugin, options.archivePlugin,
                                  destination);
    } catch (const EInvalidGraphic&) {
        if (!options.errorToOriginal) return true;
    }
    progress.SetStatus(kConversionFailedExtracting);
    progress.Repaint();
    const std::wstring original = ReplaceExtension(destination, ExtensionPart(SafeMemberFileName(member.fileName)));
    return ExtractMemberToFile(options.archivePath, member, L"", options.archivePlugin, original);
}

TBatchNaming NamingOf(const TBatchOptions& options, bool archive) {
    TBatchNaming naming;
    naming.archive = archive;
    naming.kind = options.kind;
    naming.rename = options.rename;
    naming.convert = options.convert;
    naming.definition = options.renameDefinition;
    naming.folder = options.folder;
    return naming;
}

}  // namespace

// ---- Progress

void TControlBatchProgress::SetStatus(const std::wstring& text) {
    if (status_) status_->SetCaption(text);
}

void TControlBatchProgress::SetMaximum(int maximum) {
    if (bar_) bar_->SetRange(0, maximum);
}

void TControlBatchProgress::Step() {
    if (bar_) bar_->StepIt();
}

void TControlBatchProgress::Reset() {
    if (bar_) bar_->SetPosition(0);
}

void TControlBatchProgress::Repaint() {
    // Paints what changed without handing input to the windows while files are being written.
    if (bar_ && bar_->Handle()) UpdateWindow(GetAncestor(bar_->Handle(), GA_ROOT));
    if (auto* label = dynamic_cast<TWindow*>(status_); label && label->Handle())
        UpdateWindow(GetAncestor(label->Handle(), GA_ROOT));
}

// ---- Confirmation

bool ShowCheckList(TBatchList& list) {
    TForm* active = Application().ActiveForm();
    TCheckListDlg dialog(active ? active->Handle() : nullptr);
    return dialog.Confirm(&list.sources, &list.destinations, list.renaming, list.sourcesDeleted, list.records);
}

TBatchConfirmation SetBatchConfirmation(TBatchConfirmation confirmation) {
    TBatchConfirmation previous = std::move(InstalledConfirmation());
    InstalledConfirmation() = std::move(confirmation);
    return previous;
}

// ---- The engine

bool RunBatchOperation(const TBatchSelection& selection, const TBatchOptions& options, TBatchProgress& progress) {
    if (options.archive) return ExtractMembers(selection.members, options, progress);
    std::vector<std::wstring> sources;
    sources.reserve(selection.rows.size());
    for (const std::wstring& row : selection.rows) sources.push_back(FolderRowPath(row));
    return CopyFiles(std::move(sources), options, progress);
}

bool CopyFiles(std::vector<std::wstring> sources, const TBatchOptions& options, TBatchProgress& progress) {
    if (!IsExistingFolder(StripTrailingBackslash(options.folder)))
        throw Exception(FolderNotFoundMessage(options.folder));
    // A row whose file is gone is left out without a word.
    std::erase_if(sources, [](const std::wstring& path) { return !IsExistingFile(path); });
    const std::vector<std::wstring> destinations = BuildDestinationNames(sources, NamingOf(options, false));
    if (options.confirm) {
        TBatchList list{sources, destinations, nullptr, options.rename, options.kind != TBatchKind::bkCopy};
        if (!Confirm(list)) return false;
    }

    TFinally reset([&] {
        progress.Reset();
        progress.SetStatus(L"");
    });
    progress.SetMaximum(static_cast<int>(sources.size()));
    const std::wstring suffix = BatchStatusSuffix(options.kind);
    for (size_t i = 0; i < sources.size(); ++i) {
        progress.Step();
        if (options.convert) {
            if (!ConvertOne(sources[i], destinations[i], options, suffix, progress)) break;
        } else {
            progress.SetStatus(NamePart(sources[i]) + suffix);
            progress.Repaint();
            if (!TransferOne(sources[i], destinations[i], options.kind)) break;
        }
    }
    return true;
}

bool ExtractMembers(std::vector<TArchiveEntry> members, const TBatchOptions& options, TBatchProgress& progress) {
    if (!IsExistingFile(options.archivePath)) throw Exception(ArchiveNotFoundMessage(options.archivePath));
    if (!options.archivePlugin) throw Exception(kNoArchivePluginGiven);
    if (!IsExistingFolder(StripTrailingBackslash(options.folder)))
        throw Exception(FolderNotFoundMessage(options.folder));
    std::vector<std::wstring> names;
    names.reserve(members.size());
    for (const TArchiveEntry& m : members) names.push_back(m.fileName);
    const std::vector<std::wstring> destinations = BuildDestinationNames(names, NamingOf(options, true));
    if (options.confirm) {
        TBatchList list{names, destinations, &members, options.rename, false};
        if (!Confirm(list)) return false;
    }

    TFinally reset([&] {
        progress.Reset();
        progress.SetStatus(L"");
    });
    progress.SetMaximum(static_cast<int>(members.size()));
    for (size_t i = 0; i < members.size(); ++i) {
        progress.Step();
        // Cancel at an overwrite question stops the batch here as it does in folder mode.
        if (!ExtractOne(members[i], destinations[i], options, progress)) break;
    }
    return true;
}
