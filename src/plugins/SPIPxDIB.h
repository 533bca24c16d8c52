#pragma once
// The DIB picture class that reads any picture an image plug-in understands, besides BMP.
#include "imaging/PxGraph.h"
#include "plugins/InSPIAble.h"

class TSPIPxDIB : public TSPIReadable<TPxDIB> {
public:
    static const TGraphicClass& StaticClass();
    const TGraphicClass& ClassInfo() const override { return StaticClass(); }

    // From another TSPIPxDIB the settings come along; the picture is shared as a TPxDIB's.
    void Assign(const TGraphic* source) override;

    // 0: never give a true-colour picture a palette; 1: when the screen has one (8 bits per pixel
    // or fewer); 2: always.
    uint8_t PaletteMode = 1;

    // What the plug-in's GetPictureInfo said about the picture last read through a plug-in.
    const TSPIPictureInfoCopy& PictureInfo() const { return pictureInfo_; }

protected:
    // Gives a true-colour picture a palette of its own colours where PaletteMode asks for one.
    void Changed() override;

    // Loads the DIB as clipboard data, through global memory.
    bool TakeDIB(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                 const TSPIPictureInfoCopy& pictureInfo) override;

private:
    TSPIPictureInfoCopy pictureInfo_;
    bool makingPalette_ = false;
};
