#include "toolkit/Graphic.h"

#include "toolkit/Exceptions.h"
#include "toolkit/FileStream.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/TextUtil.h"

namespace {
std::wstring AssignError(std::wstring_view from, std::wstring_view to) {
    return FormatW(L"%s を %s に代入できません", {from, to});
}
}  // namespace

void TGraphic::Assign(const TGraphic* source) {
    if (source) {
        source->AssignTo(*this);
        return;
    }
    throw EConvertError(AssignError(L"nil", ClassInfo().name));
}

void TGraphic::AssignTo(TGraphic& dest) const {
    throw EConvertError(AssignError(ClassInfo().name, dest.ClassInfo().name));
}

// The reader gets the file itself, so that it reads the pixels straight into their store and the
// writer writes them from there.
void TGraphic::LoadFromFile(const std::wstring& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::wstring& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TGraphic::Changed() {
    if (OnChange) OnChange(*this);
}

void TGraphic::Progress(TProgressStage stage, uint8_t percent, bool redraw, const TRect& rect,
                        const std::wstring& message) {
    if (OnProgress) OnProgress(*this, stage, percent, redraw, rect, message);
}
