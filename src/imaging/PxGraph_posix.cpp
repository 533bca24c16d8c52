// The native build has no display, GDI palettes or clipboard: pictures are read, written and
// converted there, never shown.
#include "imaging/PxGraph.h"

void TPxGraphic::AssignFromClipboard() { throw EInvalidGraphic(L"TPxGraphic.Assign: No Clipboard"); }

TPaletteHandle TPxDIB::GetPalette() {
    Require(L"TPxDIB.GetPalette: InternalDIB Should not be Nil");
    return nullptr;
}

void TPxDIB::SetPalette(TPaletteHandle palette) {
    Require(L"TPxDIB.SetPalette: InternalDIB Should not be Nil");
    if (palette) throw EPxDIBInvalidPalette(L"TPxDIB.SetPalette: Invalid Palette");
    UniqueDIB();
    internal_->Infos().Header.biClrUsed = 0;
    internal_->UpdatePalette();
    UpdatePaletteModified();
    Changed();
}

void TPxDIB::Draw(TCanvas&, const TRect&) {}

void TPxDIB::LoadFromClipboardFormat(uint16_t, void*, TPaletteHandle) {
    throw EInvalidGraphic(L"TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
}

void TPxDIB::SaveToClipboardFormat(uint16_t&, void*&, TPaletteHandle&) {
    throw EInvalidGraphic(L"TPxDIB.SaveToClipboardFormat: No Clipboard");
}

bool TPxDIB::AssignFromPlatformGraphic(const TGraphic&) { return false; }
bool TPxDIB::AssignToPlatformGraphic(TGraphic&) const { return false; }
