#pragma once
// A toolkit bitmap that reads any picture an image plug-in understands, besides BMP. It is the
// class under which the image plug-ins' formats are registered, so a picture opened by extension
// through the picture-format registry arrives here.
#include "imaging/Bitmap.h"
#include "plugins/InSPIAble.h"

class TSPIBitmap : public TBitmap {
public:
    TSPIBitmap();

    static const TGraphicClass& StaticClass();
    const TGraphicClass& ClassInfo() const override { return StaticClass(); }

    // From another TSPIBitmap the settings come along; the picture is assigned as a bitmap's.
    void Assign(const TGraphic* source) override;
    void LoadFromFile(const std::wstring& fileName) override;
    void LoadFromStream(TStream& stream) override;
    virtual void LoadFromNamedStream(TStream& stream, const std::wstring& name);
    void LoadFromStreamSPI(TStream& stream, TInSPI* spi);
    void LoadFromFileSPI(const std::wstring& name, TInSPI* spi);

    // Try again from byte 128 when a plug-in fails on the whole file.
    bool SkipHeader = true;

private:
    TInSPIAble& Loader();
    bool TakeDIB(std::span<const uint8_t> info, std::span<const uint8_t> bits);

    TInSPIAble loader_;
};
