#pragma once
// The batch engine: copies, moves or renames picture files of a folder listing, or extracts
// members of an archive, each optionally given a numbered name and converted to BMP. It builds
// the destination names, lets the user confirm (and reorder) them in the check list, then works
// through the list, reporting each file in a status text and a progress bar.
//
// Every routine takes what it works on (the selected rows' texts or member records, the plug-ins,
// a progress target) rather than a window. Failures raise Exception with a fixed message; files
// already processed stay processed. A source is deleted only once its destination is completely
// written and is not the source itself under another spelling.
#include <functional>
#include <string>
#include <vector>

#include "app/ArchiveEntry.h"
#include "forms/BatchNames.h"

class TInSPI;
class TAmSPI;
class TLabelTarget;
class TProgressBar;

// Where the engine tells its progress.
class TBatchProgress {
public:
    virtual ~TBatchProgress() = default;
    virtual void SetStatus(const std::wstring& text) = 0;
    virtual void SetMaximum(int maximum) = 0;
    virtual void Step() = 0;
    virtual void Reset() = 0;  // the bar back to 0
    // Lets the status text and the bar reach the screen.
    virtual void Repaint() {}
};

// Progress shown in a status text (a label or a status panel) and a progress bar, either of which
// may be absent; Repaint redraws the window they sit in.
class TControlBatchProgress : public TBatchProgress {
public:
    TControlBatchProgress(TLabelTarget* status, TProgressBar* bar) : status_(status), bar_(bar) {}
    void SetStatus(const std::wstring& text) override;
    void SetMaximum(int maximum) override;
    void Step() override;
    void Reset() override;
    void Repaint() override;

private:
    TLabelTarget* status_;
    TProgressBar* bar_;
};

struct TBatchOptions {
    bool archive = false;      // the rows are members of an archive (only copying applies)
    std::wstring archivePath;  // archive mode
    bool confirm = true;       // show the check list first
    TBatchKind kind = TBatchKind::bkCopy;
    bool errorToOriginal = false;  // a picture that cannot be converted is written as it is
    bool rename = false;
    std::wstring renameDefinition;  // "ABCD****"
    bool convert = false;           // every destination is a BMP file
    std::wstring folder;            // the destination folder (not used by overwrite)
    TInSPI* picturePlugin = nullptr;  // none: chosen by each file's name and contents
    TAmSPI* archivePlugin = nullptr;  // archive mode
};

// What the selected rows hand over: in folder mode their texts (file name and folder fields, as
// the main window's list holds them), in archive mode their member records; top to bottom.
struct TBatchSelection {
    std::vector<std::wstring> rows;
    std::vector<TArchiveEntry> members;
};

// Runs one batch: Copy files in folder mode, Extract members in archive mode. Returns false when
// the user cancelled in the check list (nothing was touched), true otherwise, also when an
// overwrite question's Cancel stopped the batch part way.
bool RunBatchOperation(const TBatchSelection& selection, const TBatchOptions& options, TBatchProgress& progress);

// The folder-mode worker on paths of files; a path whose file does not exist is left out.
bool CopyFiles(std::vector<std::wstring> sources, const TBatchOptions& options, TBatchProgress& progress);
// The archive-mode worker on member records.
bool ExtractMembers(std::vector<TArchiveEntry> members, const TBatchOptions& options, TBatchProgress& progress);

// --- The confirmation ----------------------------------------------------------------------------

// The list the user confirms: the sources (and, in archive mode, their records) may be reordered;
// the destinations stay in row order.
struct TBatchList {
    std::vector<std::wstring>& sources;
    const std::vector<std::wstring>& destinations;
    std::vector<TArchiveEntry>* records;  // null in folder mode
    bool renaming;                        // the sources may be reordered
    bool sourcesDeleted;                  // move and overwrite
};
// True to go on. The program shows the check list dialog; tests install a script.
using TBatchConfirmation = std::function<bool(TBatchList& list)>;

// The check list dialog, owned by the active window.
bool ShowCheckList(TBatchList& list);
// Installs a confirmation (empty restores the check list dialog) and returns the one it replaces.
TBatchConfirmation SetBatchConfirmation(TBatchConfirmation confirmation);

class TBatchConfirmationScope {
public:
    explicit TBatchConfirmationScope(TBatchConfirmation confirmation)
        : previous_(SetBatchConfirmation(std::move(confirmation))) {}
    ~TBatchConfirmationScope() { SetBatchConfirmation(std::move(previous_)); }
    TBatchConfirmationScope(const TBatchConfirmationScope&) = delete;
    TBatchConfirmationScope& operator=(const TBatchConfirmationScope&) = delete;

private:
    TBatchConfirmation previous_;
};
