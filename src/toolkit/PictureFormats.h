#pragma once
// The picture-format registry: which graphic class reads files of a given extension, and which
// reads a given clipboard format. The program's own classes register themselves here; the plug-in
// set adds the formats of every image plug-in it loads.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TGraphic;

// A graphic class reference: the class's name, a factory that makes an empty picture of the class,
// and the class it derives from (null for the root of the hierarchy).
struct TGraphicClass {
    const wchar_t* name;
    std::unique_ptr<TGraphic> (*create)();
    const TGraphicClass* parent;
};

// True when graphicClass is ancestor or derives from it.
bool InheritsFrom(const TGraphicClass* graphicClass, const TGraphicClass* ancestor);

struct TFileFormat {
    std::wstring extension;  // without the dot, as registered
    std::wstring description;
    const TGraphicClass* graphicClass;
};

// Adds a file format. The extension is given without its dot and is matched ignoring case; when
// an extension is registered more than once, the latest registration answers.
void RegisterFileFormat(std::wstring_view extension, std::wstring_view description,
                        const TGraphicClass* graphicClass);
// The format that answers for an extension (with or without its dot), or null. The pointer is
// valid until the next registration or removal.
const TFileFormat* FindFileFormat(std::wstring_view extension);
// Every registration, oldest first.
std::vector<TFileFormat> FileFormats();

// Adds a clipboard format (a CF_ value); the latest registration of a format answers.
void RegisterClipboardGraphic(unsigned clipboardFormat, const TGraphicClass* graphicClass);
const TGraphicClass* FindClipboardGraphic(unsigned clipboardFormat);

// Removes every file and clipboard registration of exactly this class.
void UnregisterGraphicClass(const TGraphicClass* graphicClass);
