#pragma once
// The check list dialog: before a batch touches any file, one row per source with its
// destination, sources that will be deleted in red and destinations that already exist in blue.
// With numbered renaming the user reorders the sources, each taking the name of the row it lands
// in; "続行" goes on, "キャンセル" (or closing) stops the batch before anything happens.
#include <string>
#include <vector>

#include "app/ArchiveEntry.h"
#include "app/RowModel.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Form_win.h"
#include "toolkit/Panels_win.h"

inline constexpr COLORREF kDeletedSourceColor = RGB(255, 0, 0);
inline constexpr COLORREF kExistingDestinationColor = RGB(0, 0, 255);

class TCheckListDlg : public TForm {
public:
    explicit TCheckListDlg(HWND owner = nullptr);

    // Shows the rows modally and returns true when "続行" was pressed. Returns false at once,
    // showing nothing, when a list is missing, the two differ in length, or records are given
    // whose count differs from the sources'. The sources (and records) are reordered in place.
    bool Confirm(std::vector<std::wstring>* sources, const std::vector<std::wstring>* destinations, bool renaming,
                 bool sourcesDeleted, std::vector<TArchiveEntry>* records = nullptr);

    TDataListBox& CheckListBox() { return list_.List(); }
    THeader& HeaderControl1() { return list_.Header(); }
    // The rows as shown: source, tab, destination.
    const std::vector<std::wstring>& Rows() const { return rows_; }
    bool Result() const { return result_; }

private:
    bool OnCommand(int id, int code, HWND control) override;
    void OnSize(int width, int height) override;
    void FillRows();
    void ApplyHeaderRule();
    void DrawRow(const TDataListBox::TDrawItem& item);
    void UpdateButtons();
    void Move(TRowMove move);
    void Finish(bool result);

    TLabel title_, redNote_, blueNote_;
    THeaderListBox list_;
    TSpeedButton moveTopBtn_, moveUpBtn_, moveDownBtn_, moveLastBtn_;
    TButton okBtn_, cancelBtn_;

    std::vector<std::wstring>* sources_ = nullptr;
    const std::vector<std::wstring>* destinations_ = nullptr;
    std::vector<TArchiveEntry>* records_ = nullptr;
    std::vector<std::wstring> rows_;
    std::vector<bool> destinationExists_;  // per row, read when the rows are filled
    bool renaming_ = false;
    bool sourcesDeleted_ = false;
    bool result_ = false;
};
