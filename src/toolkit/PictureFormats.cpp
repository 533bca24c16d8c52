#include "toolkit/PictureFormats.h"

#include "toolkit/TextUtil.h"

#include <algorithm>

namespace {

struct TClipboardEntry {
    unsigned format;
    const TGraphicClass* graphicClass;
};

// Function-local so that registrations made while other statics are initialised find them built.
std::vector<TFileFormat>& FileTable() {
    static std::vector<TFileFormat> table;
    return table;
}

std::vector<TClipboardEntry>& ClipboardTable() {
    static std::vector<TClipboardEntry> table;
    return table;
}

bool SameExtension(std::wstring_view a, std::wstring_view b) { return SameTextIgnoringAsciiCase(a, b); }

}  // namespace

bool InheritsFrom(const TGraphicClass* graphicClass, const TGraphicClass* ancestor) {
    for (const TGraphicClass* c = graphicClass; c; c = c->parent)
        if (c == ancestor) return true;
    return false;
}

void RegisterFileFormat(std::wstring_view extension, std::wstring_view description,
                        const TGraphicClass* graphicClass) {
    FileTable().push_back({std::wstring(extension), std::wstring(description), graphicClass});
}

const TFileFormat* FindFileFormat(std::wstring_view extension) {
    if (!extension.empty() && extension.front() == L'.') extension.remove_prefix(1);
    const auto& table = FileTable();
    for (auto it = table.rbegin(); it != table.rend(); ++it)
        if (SameExtension(it->extension, extension)) return &*it;
    return nullptr;
}

std::vector<TFileFormat> FileFormats() { return FileTable(); }

void RegisterClipboardGraphic(unsigned clipboardFormat, const TGraphicClass* graphicClass) {
    ClipboardTable().push_back({clipboardFormat, graphicClass});
}

const TGraphicClass* FindClipboardGraphic(unsigned clipboardFormat) {
    const auto& table = ClipboardTable();
    for (auto it = table.rbegin(); it != table.rend(); ++it)
        if (it->format == clipboardFormat) return it->graphicClass;
    return nullptr;
}

void UnregisterGraphicClass(const TGraphicClass* graphicClass) {
    std::erase_if(FileTable(), [&](const TFileFormat& f) { return f.graphicClass == graphicClass; });
    std::erase_if(ClipboardTable(), [&](const TClipboardEntry& e) { return e.graphicClass == graphicClass; });
}
