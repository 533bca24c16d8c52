#pragma once
// The tab stops of a tab list box: given and read as texts of pixel positions, held in dialog
// units (quarters of the horizontal dialog base unit), which is what a list box with
// LBS_USETABSTOPS takes. After every change, unless updates are suspended, OnChange hands the
// whole array on to the list box.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

extern const wchar_t kTabValueOutOfRange[];  // "Tabの設定値が範囲外です"
extern const wchar_t kTabIndexOutOfRange[];  // "Indexが範囲外です"
extern const wchar_t kTabIndexNegative[];    // "インデックスが０以下です"

class TTabStops {
public:
    // baseUnit: the horizontal dialog base unit in pixels.
    explicit TTabStops(int baseUnit) : baseUnit_(baseUnit > 0 ? baseUnit : 1) {}

    int Count() const { return static_cast<int>(units_.size()); }
    // A stop in pixels as text; "-1" for an index outside the list.
    std::wstring Get(int index) const;
    // Each raises EListError: kTabValueOutOfRange for a text that is not an integer (the stops stay
    // as they were), kTabIndexOutOfRange for an index outside 0..Count (insert) or 0..Count-1.
    void Add(const std::wstring& pixels) { Insert(Count(), pixels); }
    void Insert(int index, const std::wstring& pixels);
    void Delete(int index);
    void Clear();
    // Replaces every stop with copies of texts; all or nothing.
    void Assign(const std::vector<std::wstring>& texts);
    std::vector<std::wstring> Texts() const;

    // A stop in dialog units; ERangeError for an index below zero (kTabIndexNegative) or past the end.
    int32_t Unit(int index) const;
    const std::vector<int32_t>& Units() const { return units_; }

    void BeginUpdate() { ++updating_; }
    // Ends a suspension; the last one applies the array.
    void EndUpdate();
    bool Updating() const { return updating_ > 0; }

    // The array changed (not called while updates are suspended).
    std::function<void()> OnChange;

private:
    int32_t ToUnits(const std::wstring& pixels) const;
    void Changed();

    int baseUnit_;
    std::vector<int32_t> units_;
    int updating_ = 0;
};
