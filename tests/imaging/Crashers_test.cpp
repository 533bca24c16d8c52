// Inputs kept from fuzzing, each named after the fault it found. The file name's prefix says which
// reader it was fed to: bmp_, clipboard_, rle8_ or rle4_.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/BmpBuilder.h"
#include "imaging/PxDIB.h"
#include "imaging/PxRLE.h"
#include "toolkit/Streams.h"

namespace {

struct TCrasher {
    std::string name;
    TBytes bytes;
};

const std::vector<TCrasher>& Crashers() {
    static const std::vector<TCrasher> crashers = {
#include "Crashers.inc"
    };
    return crashers;
}

const TBytes& Crasher(const std::string& name) {
    for (const auto& c : Crashers()) {
        if (c.name == name) return c.bytes;
    }
    static const TBytes none;
    ADD_FAILURE() << "no crasher " << name;
    return none;
}

TBytes SaveBmp(const TPxInternalDIB& dib) {
    TMemoryStream s;
    dib.SaveToStream(s);
    return TBytes(s.Memory(), s.Memory() + s.Length());
}

TBytes SavePacked(const TPxInternalDIB& dib) {
    TBytes out(dib.ClipboardDataSize());
    dib.SaveToClipboardData(out);
    return out;
}

}  // namespace

// What each fuzz target checks, for every kept input: a clean refusal, or a picture that the
// writers put out in a form the readers take back unchanged.
TEST(Crashers, EveryKeptInputIsRefusedCleanlyOrRoundTrips) {
    ASSERT_FALSE(Crashers().empty());
    for (const auto& c : Crashers()) {
        SCOPED_TRACE(c.name);
        TPxInternalDIB dib;
        if (c.name.rfind("bmp_", 0) == 0) {
            TMemoryStream in;
            in.LoadFromBuffer(c.bytes.data(), c.bytes.size());
            try {
                dib.LoadFromStream(in);
            } catch (const Exception&) {
                continue;
            }
            const TBytes once = SaveBmp(dib);
            TPxInternalDIB again;
            TMemoryStream back;
            back.LoadFromBuffer(once.data(), once.size());
            again.LoadFromStream(back);
            EXPECT_EQ(SaveBmp(again), once);
        } else if (c.name.rfind("clipboard_", 0) == 0) {
            try {
                dib.LoadFromClipboardData(c.bytes.data(), c.bytes.size());
            } catch (const Exception&) {
                continue;
            }
            const TBytes once = SavePacked(dib);
            TPxInternalDIB again;
            again.LoadFromClipboardData(once.data(), once.size());
            EXPECT_EQ(SavePacked(again), once);
        } else {
            ADD_FAILURE() << "unknown prefix";
        }
    }
}

// A 24-bit picture whose header says BI_BITFIELDS keeps the three masks in front of its colour
// table; the writers used to drop them, so the file they wrote read back 12 bytes out of place.
TEST(Crashers, BitfieldsMasksAreWrittenBack) {
    const TBytes& file = Crasher("bmp_24bit_bitfields_masks_lost_on_save.bmp");
    TMemoryStream in;
    in.LoadFromBuffer(file.data(), file.size());
    TPxInternalDIB dib;
    dib.LoadFromStream(in);
    const TBytes out = SaveBmp(dib);
    EXPECT_EQ(Get32At(out, 10), 14u + 40 + 12);  // bfOffBits: header and masks
    EXPECT_EQ(TBytes(out.begin() + 54, out.begin() + 66), TBytes(file.begin() + 54, file.begin() + 66));

    const TBytes& block = Crasher("clipboard_24bit_bitfields_masks_lost_on_save.dib");
    TPxInternalDIB packed;
    packed.LoadFromClipboardData(block.data(), block.size());
    const TBytes saved = SavePacked(packed);
    ASSERT_EQ(saved.size(), block.size());
    EXPECT_EQ(TBytes(saved.begin() + 40, saved.begin() + 52), TBytes(block.begin() + 40, block.begin() + 52));
}
