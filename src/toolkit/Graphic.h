#pragma once
// The abstract picture: size, palette, drawing, reading and writing through streams, files and the
// clipboard, and the change and progress events that long operations report through. Portable:
// Windows handles appear only as opaque pointers, and drawing takes a canvas defined on Windows.
#include <cstdint>
#include <functional>
#include <string>

class TStream;
class TCanvas;
struct TGraphicClass;
struct HPALETTE__;
using TPaletteHandle = HPALETTE__*;  // HPALETTE on Windows

struct TRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

enum class TProgressStage { psStarting, psRunning, psEnding };

class TGraphic {
public:
    using TNotifyEvent = std::function<void(TGraphic& sender)>;
    using TProgressEvent = std::function<void(TGraphic& sender, TProgressStage stage, uint8_t percent, bool redraw,
                                              const TRect& rect, const std::wstring& message)>;

    TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;
    virtual ~TGraphic() = default;

    // The class of this object, as the picture-format registry knows it.
    virtual const TGraphicClass& ClassInfo() const = 0;

    // Takes over the picture of source. The default asks the source to assign itself to this
    // graphic and raises EConvertError when neither side knows the other.
    virtual void Assign(const TGraphic* source);
    virtual void AssignTo(TGraphic& dest) const;

    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    // The palette handle stays owned by the graphic; null when it has none.
    virtual TPaletteHandle GetPalette() { return nullptr; }
    virtual void SetPalette(TPaletteHandle) {}

    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // Open the file (read-only, others may read) and read or write it through the stream operations.
    virtual void LoadFromFile(const std::wstring& fileName);
    virtual void SaveToFile(const std::wstring& fileName);

    // Clipboard data is an HGLOBAL (data) and an HPALETTE.
    virtual void LoadFromClipboardFormat(uint16_t format, void* data, TPaletteHandle palette) = 0;
    virtual void SaveToClipboardFormat(uint16_t& format, void*& data, TPaletteHandle& palette) = 0;

    // Set when the colours changed, so that a window showing the picture realises its palette again.
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool value) { paletteModified_ = value; }

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    virtual void Changed();
    virtual void Progress(TProgressStage stage, uint8_t percent, bool redraw, const TRect& rect,
                          const std::wstring& message);

private:
    bool paletteModified_ = false;
};
