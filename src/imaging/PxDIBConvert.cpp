// The conversion routines over DIB records, and the storage's pixel-format change and true-colour
// palette built on them (TPxInternalDIB's conversion half; the rest of the class is in PxDIB.cpp).
#include "imaging/PxDIBConvert.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "imaging/PxRLE.h"

namespace {

using R = TPxRoutine;

constexpr int32_t kMaxBitsSize = INT32_MAX;  // the record's bits size is a signed 32-bit value
const wchar_t kMsgPixelFormatError[] = L"TPxIntenalDIB.SetPixelsFormat: PixelFormat Error";
const wchar_t kMsgRefCount[] = L"TPxInternalDIB.UpdatePalette: RefCount Must be 1";

static_assert(sizeof(TPxColor) == sizeof(TRGBQuad) && offsetof(TPxColor, Red) == offsetof(TRGBQuad, rgbRed));

[[noreturn]] void Raise(TPxFaultKind kind, const std::wstring& message) {
    switch (kind) {
    case TPxFaultKind::pfkBadDIBType: throw EPxDIBBadDIBType(message);
    case TPxFaultKind::pfkInvalidDIB: throw EPxDIBInvalidDIB(message);
    default: throw EPxDIBAssert(message);
    }
}

// A record seen as a core's source. The colour table is copied out of the record (1 KB), so that
// the cores read TPxColor objects and never the record's RGBQUADs through another type.
class TSourceView {
public:
    // allEntries: the routine weighs all 256 entries of the colour area, whatever biClrUsed says.
    TSourceView(const DIBInfos& infos, bool allEntries) {
        std::memcpy(colors_.data(), infos.Colors, sizeof colors_);
        const TBitmapInfoHeader& h = infos.Header;
        const int64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : int64_t{h.biHeight};
        source_.Width = h.biWidth;
        source_.Height = height > INT32_MAX ? 0 : static_cast<int32_t>(height);  // INT32_MIN rows: no picture
        source_.BitCount = h.biBitCount;
        source_.Compression = h.biCompression;
        source_.Bits = infos.Bits;
        source_.BitsSize = infos.Bits && infos.BitsSize > 0 ? static_cast<size_t>(infos.BitsSize) : 0;
        source_.Colors = colors_.data();
        source_.ColorCount = allEntries ? 256 : std::min<uint32_t>(h.biClrUsed, 256);
    }
    TSourceView(const TSourceView&) = delete;
    TSourceView& operator=(const TSourceView&) = delete;

    const TPxSource& Source() const { return source_; }

    // Raises the routine's exception when it cannot read this source.
    void Check(R routine) const {
        const TPxFault fault = CheckSource(routine, source_);
        if (fault.Kind != TPxFaultKind::pfkNone) Raise(fault.Kind, fault.Message);
    }

private:
    std::array<TPxColor, 256> colors_;
    TPxSource source_;
};

// What a routine does to the colour table of its result.
enum class TTable { ttKeep, ttNew };

// Runs one core: checks the source, takes a pixel store of the size the routine writes, runs the
// core into it and fills dst. The store is released again when anything fails.
template <class Core>
void RunRoutine(R routine, const DIBInfos& src, DIBInfos& dst, bool allEntries, TTable table, Core core) {
    const TSourceView view(src, allEntries);
    view.Check(routine);
    const uint64_t size = PxTargetBitsSize(routine, view.Source());
    if (size > uint64_t{kMaxBitsSize}) throw EOutOfResources(PxRoutineName(routine) + L": Bitmap Too Large");
    TPxPixelStore store(static_cast<uint32_t>(size));
    TPxPalette palette;
    try {
        core(view.Source(), std::span<uint8_t>(store.Bits(), store.Size()), palette);
    } catch (const EPxConvertError& e) {
        Raise(e.Kind(), e.Message());
    }
    DIBInfos result = src;
    store.MoveTo(result);
    result.Header.biBitCount = static_cast<uint16_t>(PxTargetBitCount(routine));
    result.Header.biCompression = kBiRgb;
    result.Header.biSizeImage = 0;
    if (table == TTable::ttNew) {
        result.Header.biClrUsed = palette.Count;
        std::memcpy(result.Colors, palette.Colors.data(), sizeof palette.Colors);
    }
    dst = result;
}

template <void (*Core)(const TPxSource&, std::span<uint8_t>)>
void Widen(R routine, const DIBInfos& src, DIBInfos& dst) {
    RunRoutine(routine, src, dst, false, TTable::ttKeep,
               [](const TPxSource& s, std::span<uint8_t> out, TPxPalette&) { Core(s, out); });
}

template <void (*Core)(const TPxSource&, uint32_t, std::span<uint8_t>, TPxPalette&)>
void ToMonochrome(R routine, const DIBInfos& src, DIBInfos& dst, uint32_t keyColor) {
    RunRoutine(routine, src, dst, false, TTable::ttNew,
               [keyColor](const TPxSource& s, std::span<uint8_t> out, TPxPalette& p) { Core(s, keyColor, out, p); });
}

template <void (*Core)(const TPxSource&, std::span<uint8_t>, TPxPalette&, const TPxProgress&)>
void Reduce(R routine, const DIBInfos& src, DIBInfos& dst, bool allEntries, const TPxProgress& progress) {
    RunRoutine(routine, src, dst, allEntries, TTable::ttNew,
               [&progress](const TPxSource& s, std::span<uint8_t> out, TPxPalette& p) { Core(s, out, p, progress); });
}

// ---- The conversion matrix --------------------------------------------------------------------

using TStep = std::function<void(const DIBInfos& src, DIBInfos& dst)>;

int BitsOf(TPxPixelFormat format) {
    switch (format) {
    case pxf1Bit: return 1;
    case pxf4Bit:
    case pxf4BitRLE: return 4;
    case pxf8Bit:
    case pxf8BitRLE: return 8;
    default: return 24;
    }
}

// The routine from uncompressed fromBits to uncompressed toBits (which differ). Only the reductions
// of true colour to 8 and 4 bits depend on the method.
TStep Between(int fromBits, int toBits, int method, const TPxProgress& progress, uint32_t keyColor) {
    const auto reduce = [&](auto low, auto high) -> TStep {
        if (method == 0) return [low, &progress](const DIBInfos& s, DIBInfos& d) { low(s, d, progress); };
        if (method == 1) return [high, &progress](const DIBInfos& s, DIBInfos& d) { high(s, d, progress); };
        throw EPxDIBAssert(kMsgPixelFormatError);
    };
    const auto keyed = [keyColor](void (*convert)(const DIBInfos&, DIBInfos&, uint32_t)) -> TStep {
        return [convert, keyColor](const DIBInfos& s, DIBInfos& d) { convert(s, d, keyColor); };
    };
    using TPlain = void (*)(const DIBInfos&, DIBInfos&);
    using TProgressed = void (*)(const DIBInfos&, DIBInfos&, const TPxProgress&);
    switch (fromBits * 100 + toBits) {
    case 104: return TPlain{Convert1BitRGBTo4BitRGB};
    case 108: return TPlain{Convert1BitRGBTo8BitRGB};
    case 124: return TPlain{Convert1BitRGBToTrueColor};
    case 401: return keyed(Convert4BitRGBTo1BitRGB);
    case 408: return TPlain{Convert4BitRGBTo8BitRGB};
    case 424: return TPlain{Convert4BitRGBToTrueColor};
    case 801: return keyed(Convert8BitTo1BitRGB);
    case 804: return [&progress](const DIBInfos& s, DIBInfos& d) { Convert8BitRGBTo4BitRGB(s, d, progress); };
    case 824: return TPlain{Convert8BitRGBToTrueColor};
    case 2401: return keyed(ConvertTrueColorTo1BitRGB);
    case 2404: return reduce(TProgressed{ConvertTrueColorTo4BitRGBLow}, TProgressed{ConvertTrueColorTo4BitRGBHigh});
    case 2408: return reduce(TProgressed{ConvertTrueColorTo8BitRGBLow}, TProgressed{ConvertTrueColorTo8BitRGBHigh});
    default: throw EPxDIBAssert(kMsgPixelFormatError);
    }
}

// The routines that take a picture of one format to another, in order: the RLE decoder when the
// source is compressed, the conversion between the uncompressed formats when their bit counts
// differ, and the RLE encoder when the target is compressed. Raises the assertion for a target
// outside the formats, the format the picture already has, and a method other than 0 and 1 where
// a reduction needs one; nothing has run then.
std::vector<TStep> ConversionChain(TPxPixelFormat from,
                                   TPxPixelFormat to,
                                   int method,
                                   const TPxProgress& progress,
                                   uint32_t keyColor) {
    if (to > pxf24Bit || from == to) throw EPxDIBAssert(kMsgPixelFormatError);
    std::vector<TStep> chain;
    if (from == pxf4BitRLE) chain.emplace_back(Convert4BitRLETo4BitRGB);
    if (from == pxf8BitRLE) chain.emplace_back(Convert8BitRLETo8BitRGB);
    const int fromBits = BitsOf(from), toBits = BitsOf(to);
    if (fromBits != toBits) chain.push_back(Between(fromBits, toBits, method, progress, keyColor));
    if (to == pxf4BitRLE) chain.emplace_back(Convert4BitRGBTo4BitRLE);
    if (to == pxf8BitRLE) chain.emplace_back(Convert8BitRGBTo8BitRLE);
    return chain;
}

// A record whose pixel store belongs to the conversion chain until it is handed on; whatever it
// still holds when it goes out of scope is released.
class TChainRecord {
public:
    TChainRecord() = default;
    ~TChainRecord() { (void)TPxPixelStore::Adopt(infos_); }
    TChainRecord(const TChainRecord&) = delete;
    TChainRecord& operator=(const TChainRecord&) = delete;

    DIBInfos& Infos() { return infos_; }
    // Releases the store now that the next routine has read it.
    void Release() { FreeDIBInfosBits(infos_); }

private:
    DIBInfos infos_{};
};

}  // namespace

// ---- The routines ------------------------------------------------------------------------------

void Convert1BitRGBTo4BitRGB(const DIBInfos& src, DIBInfos& dst) {
    Widen<Convert1BitRGBTo4BitRGB>(R::Convert1BitRGBTo4BitRGB, src, dst);
}

void Convert1BitRGBTo8BitRGB(const DIBInfos& src, DIBInfos& dst) {
    Widen<Convert1BitRGBTo8BitRGB>(R::Convert1BitRGBTo8BitRGB, src, dst);
}

void Convert4BitRGBTo8BitRGB(const DIBInfos& src, DIBInfos& dst) {
    Widen<Convert4BitRGBTo8BitRGB>(R::Convert4BitRGBTo8BitRGB, src, dst);
}

void Convert1BitRGBToTrueColor(const DIBInfos& src, DIBInfos& dst) {
    Widen<Convert1BitRGBToTrueColor>(R::Convert1BitRGBToTrueColor, src, dst);
}

void Convert4BitRGBToTrueColor(const DIBInfos& src, DIBInfos& dst) {
    Widen<Convert4BitRGBToTrueColor>(R::Convert4BitRGBToTrueColor, src, dst);
}

void Convert8BitRGBToTrueColor(const DIBInfos& src, DIBInfos& dst) {
    Widen<Convert8BitRGBToTrueColor>(R::Convert8BitRGBToTrueColor, src, dst);
}

void ConvertTrueColorTo1BitRGB(const DIBInfos& src, DIBInfos& dst, uint32_t keyColor) {
    ToMonochrome<ConvertTrueColorTo1BitRGB>(R::ConvertTrueColorTo1BitRGB, src, dst, keyColor);
}

void Convert8BitTo1BitRGB(const DIBInfos& src, DIBInfos& dst, uint32_t keyColor) {
    ToMonochrome<Convert8BitTo1BitRGB>(R::Convert8BitTo1BitRGB, src, dst, keyColor);
}

void Convert4BitRGBTo1BitRGB(const DIBInfos& src, DIBInfos& dst, uint32_t keyColor) {
    ToMonochrome<Convert4BitRGBTo1BitRGB>(R::Convert4BitRGBTo1BitRGB, src, dst, keyColor);
}

void Convert8BitRGBTo4BitRGB(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress) {
    Reduce<Convert8BitRGBTo4BitRGB>(R::Convert8BitRGBTo4BitRGB, src, dst, true, progress);
}

void ConvertTrueColorTo8BitRGBLow(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress) {
    Reduce<ConvertTrueColorTo8BitRGBLow>(R::ConvertTrueColorTo8BitRGBLow, src, dst, false, progress);
}

void ConvertTrueColorTo4BitRGBLow(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress) {
    Reduce<ConvertTrueColorTo4BitRGBLow>(R::ConvertTrueColorTo4BitRGBLow, src, dst, false, progress);
}

void ConvertTrueColorTo8BitRGBHigh(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress) {
    Reduce<ConvertTrueColorTo8BitRGBHigh>(R::ConvertTrueColorTo8BitRGBHigh, src, dst, false, progress);
}

void ConvertTrueColorTo4BitRGBHigh(const DIBInfos& src, DIBInfos& dst, const TPxProgress& progress) {
    Reduce<ConvertTrueColorTo4BitRGBHigh>(R::ConvertTrueColorTo4BitRGBHigh, src, dst, false, progress);
}

// ---- The storage's conversions ---------------------------------------------------------------------

// Runs the chain of routines from the stored format to target. Each intermediate store is released
// as soon as the next routine has read it; when a routine fails, every store taken so far is
// released and the storage keeps its picture. The storage's own store is released only when the
// result takes its place.
void TPxInternalDIB::SetPixelsFormat(TPxPixelFormat target, int method, const TPxProgress& progress, uint32_t keyColor) {
    const std::vector<TStep> chain = ConversionChain(GetPixelFormat(), target, method, progress, keyColor);
    // The result replaces the record, which a shared storage must not have happen: fail before the work.
    if (refCount_ != 1) throw EPxDIBAssert(kMsgRefCount);
    TChainRecord records[2];  // a chain has at most three routines: two records alternate
    const DIBInfos* input = &infos_;
    TChainRecord* output = nullptr;
    for (size_t i = 0; i < chain.size(); ++i) {
        TChainRecord& next = records[i % 2];
        chain[i](*input, next.Infos());
        if (output) output->Release();
        output = &next;
        input = &next.Infos();
    }
    TakeOver(output->Infos());
}

// A colour table for a 24-bit picture made by the Low (0) or High (1) palette builder; the pixels
// stay as they are. Any other method leaves the picture without a colour table (biClrUsed 0).
void TPxInternalDIB::CreateTrueColorPalette(int method, const TPxProgress& progress) {
    if (infos_.Header.biBitCount != 24) throw EPxDIBBadDIBType(L"TPxInternalDIB.CreateTrueColorPalette: Bad DIB Type");
    if (refCount_ != 1) throw EPxDIBAssert(kMsgRefCount);
    const bool known = method == 0 || method == 1;
    TPxPalette palette;
    if (known) {
        const TSourceView view(infos_, false);
        try {
            palette = method == 0 ? CreateTrueColorPaletteLow(view.Source(), progress)
                                  : CreateTrueColorPaletteHigh(view.Source(), progress);
        } catch (const EPxConvertError& e) {
            Raise(e.Kind(), e.Message());
        }
        std::memcpy(infos_.Colors, palette.Colors.data(), sizeof palette.Colors);
    }
    infos_.Header.biClrUsed = palette.Count;
    UpdatePalette();
}
