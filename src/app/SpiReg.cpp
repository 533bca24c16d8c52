#include "app/SpiReg.h"

#include <cstdint>

std::wstring SpiRegText(std::wstring_view text) {
    if (text.size() <= kSpiRegTextLimit) return std::wstring(text);
    size_t length = kSpiRegTextLimit;
    const auto last = static_cast<uint32_t>(text[length - 1]);
    if (last >= 0xD800 && last <= 0xDBFF) --length;  // a high surrogate whose partner would be cut off
    return std::wstring(text.substr(0, length));
}

TSpiRegValues SpiRegLimited(TSpiRegValues values) {
    values.folderView = SpiRegText(values.folderView);
    values.browseFolder = SpiRegText(values.browseFolder);
    values.saveFolder = SpiRegText(values.saveFolder);
    return values;
}

bool AppliesStoredLayout(const TSpiRegValues& values) { return values.width != 0 && values.height != 0; }
