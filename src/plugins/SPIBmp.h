#pragma once
// A toolkit bitmap that reads any picture an image plug-in understands, besides BMP. It is the
// class under which the image plug-ins' formats are registered, so a picture opened by extension
// through the picture-format registry arrives here.
#include "imaging/Bitmap.h"
#include "plugins/InSPIAble.h"

class TSPIBitmap : public TSPIReadable<TBitmap> {
public:
    static const TGraphicClass& StaticClass();
    const TGraphicClass& ClassInfo() const override { return StaticClass(); }

    // From another TSPIBitmap the settings come along; the picture is assigned as a bitmap's.
    void Assign(const TGraphic* source) override;

protected:
    // Writes the DIB as a BMP file in memory and reads it with the bitmap's own reader.
    bool TakeDIB(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                 const TSPIPictureInfoCopy& pictureInfo) override;
};
