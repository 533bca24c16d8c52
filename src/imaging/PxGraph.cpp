#include "imaging/PxGraph.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "toolkit/PictureFormats.h"

namespace {

std::unique_ptr<TGraphic> NewPxDIB() { return std::make_unique<TPxDIB>(); }

const TGraphicClass kPxDIBClass{L"TPxDIB", &NewPxDIB, nullptr};

// "dib" files and CF_DIB clipboard data load into TPxDIB; registered once, when the program starts.
const bool kRegistered = [] {
    RegisterFileFormat(L"dib", L"Device Independent Bitmap", &kPxDIBClass);
    RegisterClipboardGraphic(kCF_DIB, &kPxDIBClass);
    return true;
}();

}  // namespace

const TGraphicClass& TPxDIB::StaticClass() {
    (void)kRegistered;
    return kPxDIBClass;
}

TPxDIB::TPxDIB() {
    internal_ = new TPxInternalDIB;
    UpdatePaletteModified();
}

TPxDIB::~TPxDIB() {
    if (internal_) ReleaseInternalDIB();
}

void TPxDIB::Require(const wchar_t* message) const {
    if (!internal_) throw EPxDIBAssert(message);
}

const TPxInternalDIB& TPxDIB::InternalDIB() const {
    Require(L"TPxDIB.InternalDIB: InternalDIB Should not be Nil");
    return *internal_;
}

TPxInternalDIB& TPxDIB::MutableDIB() {
    Require(L"TPxDIB.UniqueDIB: InternalDIB Should not be Nil");
    return *internal_;
}

void TPxDIB::ReleaseInternalDIB() {
    Require(L"TPXDIB.ReleaseInternalDIB: InternalDIB should not be Nil");
    if (internal_->DecRef() == 0) delete internal_;
    internal_ = nullptr;
}

void TPxDIB::TakeNewDIB(TPxInternalDIB* fresh) {
    if (internal_) ReleaseInternalDIB();
    internal_ = fresh;
}

void TPxDIB::UniqueDIB() {
    Require(L"TPxDIB.UniqueDIB: InternalDIB Should not be Nil");
    if (internal_->RefCount() == 1) return;
    // A private copy: the whole record and a new pixel store with the same bytes.
    auto fresh = std::make_unique<TPxInternalDIB>();
    DIBInfos copy = internal_->Infos();
    TPxPixelStore store(static_cast<uint32_t>(copy.BitsSize));
    if (copy.BitsSize > 0) std::memcpy(store.Bits(), internal_->Infos().Bits, static_cast<size_t>(copy.BitsSize));
    store.MoveTo(copy);
    fresh->TakeOver(copy);
    TakeNewDIB(fresh.release());
    UpdatePaletteModified();
}

void TPxDIB::UpdatePaletteModified() {
    if (!internal_ || internal_->RefCount() != 1) throw EPxDIBAssert(L"TPxDIB.UpdatePaletteModified RefCount Must be 1");
    if (internal_->PaletteChanged()) {
        internal_->ClearPaletteChanged();
        SetPaletteModified(true);
    }
}

void TPxDIB::LoadFromStream(TStream& stream) {
    // The old picture goes first: a failed read leaves a fresh 1 x 1 picture behind.
    TakeNewDIB(new TPxInternalDIB);
    internal_->LoadFromStream(stream);
    UpdatePaletteModified();
    Changed();
}

void TPxDIB::SaveToStream(TStream& stream) {
    Require(L"TPxDIB.SaveToStream: InternalDIB Should not be Nil");
    internal_->SaveToStream(stream);
}

void TPxDIB::Assign(const TGraphic* source) {
    Require(L"TPxDIB.Assign: InternalDIB Should not be Nil");
    if (!source) {
        TakeNewDIB(new TPxInternalDIB);
        UpdatePaletteModified();
        return;
    }
    if (const auto* other = dynamic_cast<const TPxDIB*>(source)) {
        if (other == this) return;
        other->Require(L"TPxDIB.Assign: InternalDIB Should not be Nil");
        TPxInternalDIB* shared = other->internal_;
        shared->AddRef();
        ReleaseInternalDIB();
        internal_ = shared;
        MonochromeColor = other->MonochromeColor;
        ReductionMethod = other->ReductionMethod;
        SetPaletteModified(true);
        return;
    }
    if (AssignFromPlatformGraphic(*source)) return;
    TPxGraphic::Assign(source);
}

void TPxDIB::AssignTo(TGraphic& dest) const {
    Require(L"TPxDIB.AssignTo: InternalDIB Should not be Nil");
    if (auto* other = dynamic_cast<TPxDIB*>(&dest)) {
        other->Assign(this);
        return;
    }
    if (AssignToPlatformGraphic(dest)) return;
    TPxGraphic::AssignTo(dest);
}

bool TPxDIB::GetEmpty() const {
    Require(L"TPxDIB.GetEmpty: InternalDIB Should not be Nil");
    return false;
}

int TPxDIB::GetWidth() const {
    Require(L"TPxDIB.GetWidth: InternalDIB Should not be Nil");
    return internal_->Width();
}

int TPxDIB::GetHeight() const {
    Require(L"TPxDIB.GetHeight: InternalDIB Should not be Nil");
    return internal_->Height();
}

int TPxDIB::GetBitCount() const {
    Require(L"TPxDIB.GetBitCount: InternalDIB Should not be Nil");
    return internal_->Infos().Header.biBitCount;
}

TPxPixelFormat TPxDIB::GetPixelFormat() const {
    Require(L"TPxDIB.GetPixelFormat: InternalDIB Should not be Nil");
    return internal_->GetPixelFormat();
}

void TPxDIB::SetWidth(int value) {
    Require(L"TPxDIB.SetWidth: InternalDIB Should not be Nil");
    if (value <= 0) throw EPxDIBInvalidDIBPara(L"TPxDIB.SetWidth: Invalid Width");
    if (value == internal_->Width()) return;
    const TBitmapInfoHeader& h = internal_->Infos().Header;
    auto fresh = std::make_unique<TPxInternalDIB>();
    fresh->CreateDIB(value, internal_->Height(), static_cast<int32_t>(h.biClrUsed), h.biBitCount);
    TakeNewDIB(fresh.release());
    UpdatePaletteModified();
    Changed();
}

void TPxDIB::SetHeight(int value) {
    Require(L"TPxDIB.SetHeight: InternalDIB Should not be Nil");
    if (value == 0) throw EPxDIBInvalidDIBPara(L"TPxDIB.SetHeight: Invalid Height");
    if (value == internal_->Height()) return;
    const TBitmapInfoHeader& h = internal_->Infos().Header;
    auto fresh = std::make_unique<TPxInternalDIB>();
    fresh->CreateDIB(internal_->Width(), value, static_cast<int32_t>(h.biClrUsed), h.biBitCount);
    TakeNewDIB(fresh.release());
    UpdatePaletteModified();
    Changed();
}

// ---- Pixel formats -------------------------------------------------------------------------------

namespace {

// The conversions that reduce colours, with the message and the number of progress steps (one per
// leaf of the palette split) they report.
struct TReductionProgress {
    TPxPixelFormat from, to;
    const wchar_t* message;
    int32_t total;
};

const TReductionProgress kReductionProgress[] = {
    {pxf8Bit, pxf4Bit, L"PixelFormat 8Bit -> 4Bit", 16},
    {pxf8Bit, pxf4BitRLE, L"PixelFormat 8Bit -> 4BitRLE", 16},
    {pxf8BitRLE, pxf4Bit, L"PixelFormat 8BitRLE -> 4Bit", 16},
    {pxf8BitRLE, pxf4BitRLE, L"PixelFormat 8BitRLE -> 4BitRLE", 16},
    {pxf24Bit, pxf4Bit, L"PixelFormat 24Bit -> 4Bit", 16},
    {pxf24Bit, pxf4BitRLE, L"PixelFormat 24Bit -> 4BitRLE", 16},
    {pxf24Bit, pxf8Bit, L"PixelFormat 24Bit -> 8Bit", 256},
    {pxf24Bit, pxf8BitRLE, L"PixelFormat 24Bit -> 8BitRLE", 256},
};

constexpr uint32_t kRgbMask = 0xFFFFFF;

}  // namespace

void TPxDIB::StartProgress(const wchar_t* message, int32_t total) {
    progressMessage_ = message;
    progressTotal_ = total;
    progressPosition_ = 0;
    Progress(TProgressStage::psStarting, 0, false, TRect{0, 0, GetWidth(), GetHeight()}, progressMessage_);
}

// One step of the total; the last step sends nothing, the ending event reports 100 percent.
void TPxDIB::ProgressStep() {
    if (progressTotal_ <= 0) return;
    ++progressPosition_;
    if (progressPosition_ == progressTotal_) return;
    const int64_t percent = std::min<int64_t>(int64_t{progressPosition_} * 100 / progressTotal_, 100);
    Progress(TProgressStage::psRunning, static_cast<uint8_t>(percent), false, TRect{0, 0, GetWidth(), GetHeight()},
             progressMessage_);
}

void TPxDIB::EndProgress() {
    Progress(TProgressStage::psEnding, 100, true, TRect{0, 0, GetWidth(), GetHeight()}, progressMessage_);
}

void TPxDIB::SetPixelFormat(TPxPixelFormat format) {
    Require(L"TPxDIB.SetPixelFormat: InternalDIB Should not be Nil");
    const TPxPixelFormat from = internal_->GetPixelFormat();
    if (from == format) return;
    UniqueDIB();
    progressTotal_ = 0;
    bool started = false;
    for (const TReductionProgress& r : kReductionProgress) {
        if (r.from == from && r.to == format) {
            StartProgress(r.message, r.total);
            started = true;
        }
    }
    try {
        internal_->SetPixelsFormat(format, ReductionMethod, [this] { ProgressStep(); }, MonochromeColor & kRgbMask);
    } catch (...) {
        UpdatePaletteModified();
        if (started) EndProgress();
        throw;
    }
    UpdatePaletteModified();
    if (started) EndProgress();
    UpdatePaletteModified();
    Changed();
}

void TPxDIB::CreateTrueColorPalette() {
    Require(L"TPxDIB.CreateTrueColorPalette: InternalDIB Should not be Nil");
    UniqueDIB();
    StartProgress(L"Create True Color Palette", 256);
    try {
        internal_->CreateTrueColorPalette(ReductionMethod, [this] { ProgressStep(); });
    } catch (...) {
        UpdatePaletteModified();
        EndProgress();
        throw;
    }
    UpdatePaletteModified();
    EndProgress();
    Changed();
}
