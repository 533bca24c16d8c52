#include "shell/TabStops.h"

#include <cmath>
#include <limits>

#include "toolkit/Exceptions.h"

const wchar_t kTabValueOutOfRange[] = L"Tabの設定値が範囲外です";
const wchar_t kTabIndexOutOfRange[] = L"Indexが範囲外です";
const wchar_t kTabIndexNegative[] = L"インデックスが０以下です";

namespace {

// A decimal integer with an optional sign, nothing around it, that fits 32 bits.
bool ParseInt32(const std::wstring& text, int32_t& value) {
    const bool hasSign = !text.empty() && (text[0] == L'-' || text[0] == L'+');
    const bool negative = hasSign && text[0] == L'-';
    size_t at = hasSign ? 1 : 0;
    if (at == text.size()) return false;
    int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < L'0' || text[at] > L'9') return false;
        magnitude = magnitude * 10 + (text[at] - L'0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
    }
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int32_t>::max()) return false;
    value = static_cast<int32_t>(result);
    return true;
}

}  // namespace

int32_t TTabStops::ToUnits(const std::wstring& pixels) const {
    int32_t value = 0;
    if (!ParseInt32(pixels, value)) throw EListError(kTabValueOutOfRange);
    // In 64 bits: four times a large pixel value does not fit 32.
    return static_cast<int32_t>(std::llround(static_cast<double>(value) * 4 / baseUnit_));
}

std::wstring TTabStops::Get(int index) const {
    if (index < 0 || index >= Count()) return L"-1";
    return std::to_wstring(std::llround(static_cast<double>(units_[static_cast<size_t>(index)]) * baseUnit_ / 4));
}

void TTabStops::Insert(int index, const std::wstring& pixels) {
    if (index < 0 || index > Count()) throw EListError(kTabIndexOutOfRange);
    const int32_t units = ToUnits(pixels);
    units_.insert(units_.begin() + index, units);
    Changed();
}

void TTabStops::Delete(int index) {
    if (index < 0 || index >= Count()) throw EListError(kTabIndexOutOfRange);
    units_.erase(units_.begin() + index);
    Changed();
}

void TTabStops::Clear() {
    units_.clear();
    Changed();
}

void TTabStops::Assign(const std::vector<std::wstring>& texts) {
    std::vector<int32_t> units;
    for (const auto& text : texts) units.push_back(ToUnits(text));
    units_ = std::move(units);
    Changed();
}

std::vector<std::wstring> TTabStops::Texts() const {
    std::vector<std::wstring> texts;
    for (int i = 0; i < Count(); ++i) texts.push_back(Get(i));
    return texts;
}

int32_t TTabStops::Unit(int index) const {
    if (index < 0) throw ERangeError(kTabIndexNegative);
    if (index >= Count()) throw ERangeError(kTabIndexOutOfRange);
    return units_[static_cast<size_t>(index)];
}

void TTabStops::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) Changed();
}

void TTabStops::Changed() {
    if (!updating_ && OnChange) OnChange();
}
