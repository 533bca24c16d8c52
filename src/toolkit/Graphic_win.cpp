#include "toolkit/FileStream.h"
#include "toolkit/Graphic.h"

void TGraphic::LoadFromFile(const std::wstring& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::wstring& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}
