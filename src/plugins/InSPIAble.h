#pragma once
// Loading pictures through image plug-ins, for the two picture classes that can (TSPIBitmap and
// TSPIPxDIB). The loader tries the owner's own BMP reader and the image plug-ins of the live
// plug-in set in a fixed order, runs the chosen plug-in on the whole file held in memory, and
// hands the decoded DIB to its owner.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "toolkit/Graphic.h"

class TStream;
class TMemoryStream;
class TInSPI;

// What GetPictureInfo told about a picture, handed to the owner with the decoded DIB.
struct TSPIPictureInfoCopy {
    int32_t left = 0, top = 0, width = 0, height = 0;
    uint16_t xDensity = 0, yDensity = 0;
    int16_t colorDepth = 0;
    std::wstring info;
    bool valid = false;  // GetPictureInfo succeeded
};

class TInSPIAble {
public:
    // The owner's ancestor's stream reader (its own BMP format).
    using TNativeLoader = std::function<void(TStream&)>;
    // The owner's file loader: opens the file and calls the owner's stream load.
    using TBaseFileLoader = std::function<void(const std::wstring&)>;
    // Receives a decoded DIB: the bitmap-info block (header and colour table) and the pixel block,
    // each exactly as large as the plug-in's memory block. Returns whether the picture was taken.
    using TTakeDIB = std::function<bool(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                                        const TSPIPictureInfoCopy& pictureInfo)>;
    using TProgress = std::function<void(TProgressStage stage, uint8_t percent, bool redraw)>;

    TInSPIAble(TNativeLoader nativeLoader, TBaseFileLoader baseFileLoader, TTakeDIB takeDIB, TProgress progress);
    TInSPIAble(const TInSPIAble&) = delete;
    TInSPIAble& operator=(const TInSPIAble&) = delete;

    // Extension and name of the file being read (the extension with its dot); empty outside a named load.
    const std::wstring& Extension() const { return extension_; }
    const std::wstring& FileName() const { return fileName_; }
    const std::wstring NativeExtension = L"BMP";
    bool SkipHeader = true;

    void LoadFromFile(const std::wstring& name);
    void LoadFromStream(TStream& stream);
    void LoadFromNamedStream(TStream& stream, const std::wstring& name);
    // With one given plug-in (none: the automatic order). The native reader is not tried.
    void LoadFromStreamSPI(TStream& stream, TInSPI* spi);
    void LoadFromFileSPI(const std::wstring& name, TInSPI* spi);

    // The callback handed to plug-ins: reports progress to the owner and never asks them to stop.
    static int WINAPI ProgressCallback(int nNum, int nDenom, LONG_PTR lData);

private:
    class TNameScope;

    bool TryNative(TMemoryStream& data);
    bool TryPlugins(TMemoryStream& data);
    bool Decode(const TMemoryStream& data, TInSPI& spi);
    bool DecodeBuffer(const uint8_t* data, size_t size, TInSPI& spi);

    TNativeLoader nativeLoader_;
    TBaseFileLoader baseFileLoader_;
    TTakeDIB takeDIB_;
    TProgress progress_;
    std::wstring extension_;
    std::wstring fileName_;
};

extern const wchar_t kUnknownPictureFormat[];

// A picture class (Base: the toolkit bitmap or TPxDIB) that reads through the plug-in loader: its
// own BMP reader and file loader become the loader's native reader and base file loader, and the
// derived class takes the decoded DIBs.
template <class Base>
class TSPIReadable : public Base {
public:
    void LoadFromFile(const std::wstring& fileName) override { Loader().LoadFromFile(fileName); }
    void LoadFromStream(TStream& stream) override { Loader().LoadFromStream(stream); }
    virtual void LoadFromNamedStream(TStream& stream, const std::wstring& name) {
        Loader().LoadFromNamedStream(stream, name);
    }
    void LoadFromStreamSPI(TStream& stream, TInSPI* spi) { Loader().LoadFromStreamSPI(stream, spi); }
    void LoadFromFileSPI(const std::wstring& name, TInSPI* spi) { Loader().LoadFromFileSPI(name, spi); }

    // Try again from byte 128 when a plug-in fails on the whole file.
    bool SkipHeader = true;

protected:
    TSPIReadable()
        : loader_([this](TStream& s) { Base::LoadFromStream(s); },
                  [this](const std::wstring& name) { Base::LoadFromFile(name); },
                  [this](std::span<const uint8_t> info, std::span<const uint8_t> bits,
                         const TSPIPictureInfoCopy& pictureInfo) { return TakeDIB(info, bits, pictureInfo); },
                  [this](TProgressStage stage, uint8_t percent, bool redraw) {
                      this->Progress(stage, percent, redraw, TRect{}, std::wstring());
                  }) {}

    // Receives a decoded DIB; false when the plug-in's blocks do not make a picture.
    virtual bool TakeDIB(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                         const TSPIPictureInfoCopy& pictureInfo) = 0;

private:
    TInSPIAble& Loader() {
        loader_.SkipHeader = SkipHeader;
        return loader_;
    }

    TInSPIAble loader_;
};
