#pragma once
// The Windows half of PxDIB: GDI palettes from a DIB's colour table, and the layouts of the
// portable BMP structures checked against the Windows ones.
#include <windows.h>

#include "imaging/PxDIB.h"

// A logical palette with the biClrUsed entries of the colour table, or null when biClrUsed is 0.
// Raises EOutOfResources "GetPaletteFromDIBInfos: Cannot Make Palette" when GDI refuses.
HPALETTE GetPaletteFromDIBInfos(const DIBInfos& infos);

inline const BITMAPINFO* AsBitmapInfo(const DIBInfos& infos) {
    return static_cast<const BITMAPINFO*>(infos.BitmapInfo());
}
inline BITMAPINFO* AsBitmapInfo(DIBInfos& infos) { return static_cast<BITMAPINFO*>(infos.BitmapInfo()); }
