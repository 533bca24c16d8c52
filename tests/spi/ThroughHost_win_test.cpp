// The shipped plug-ins as the program uses them: found and loaded by the program's own plug-in
// set, the sample archive listed and extracted through the archive plug-in, and every member
// decoded by the picture loader (BMP by the program's own reader, the rest by the image plug-in),
// pixel sizes checked against the loose sample pictures.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "plugins/SPIPxDIB.h"
#include "plugins/SPIs.h"
#include "toolkit/AnsiText.h"
#include "toolkit/FileStream.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/Streams.h"
#include "toolkit/TextUtil.h"

namespace {

const std::wstring kSamples = L"Z:" + Utf8ToWide(VV_SAMPLES);  // the Unix build folder, as Wine shows it

std::wstring Slashes(std::wstring path) {
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

class ShippedPlugins : public ::testing::Test {
protected:
    void SetUp() override {
        spis_.AutoSearch = false;
        spis_.Search(Slashes(L"Z:" + Utf8ToWide(VV_PLUGINS) + L"/*.spi"));
    }
    TSPIs spis_;
};

}  // namespace

TEST_F(ShippedPlugins, LoadAsImageAndArchivePluginsAndRegisterTheirFormats) {
    int images = 0, archives = 0;
    for (int i = 0; i < spis_.Count(); ++i) {
        images += dynamic_cast<TInSPI*>(&spis_.Items(i)) != nullptr;
        archives += dynamic_cast<TAmSPI*>(&spis_.Items(i)) != nullptr;
    }
    EXPECT_EQ(images, 1);
    EXPECT_EQ(archives, 1);
    for (const wchar_t* ext : {L"png", L"gif", L"psd", L"hdr"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(ext)));
        EXPECT_NE(FindFileFormat(ext), nullptr);
    }
    // A pattern list ("*.jpg;*.jpeg;*.jpe;*.jfif") registers its last extension only.
    EXPECT_NE(FindFileFormat(L"jfif"), nullptr);
    const auto list = spis_.SPIListOf<TAmSPI>(L"sample.zip");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(SPIIsSupported(*list[0], Slashes(kSamples + L"/sample.zip"),
                               ReadFileHead(Slashes(kSamples + L"/sample.zip"))));
}

TEST_F(ShippedPlugins, SampleArchiveListsExtractsAndDecodesThroughTheHost) {
    const std::wstring zip = Slashes(kSamples + L"/sample.zip");
    const auto archivers = spis_.SPIListOf<TAmSPI>(zip);
    ASSERT_EQ(archivers.size(), 1u);
    std::vector<TSusieFileInfo> records;
    ASSERT_TRUE(archivers[0]->ReadArchiveInfo(zip, records));
    ASSERT_EQ(records.size(), 8u);

    std::map<std::wstring, std::pair<int, int>> sizes;
    for (const TSusieFileInfo& r : records) {
        const std::wstring name = AnsiToWide(FixedText(r.filename));
        SCOPED_TRACE(WideToUtf8(name));
        TMemoryStream member;
        ASSERT_TRUE(archivers[0]->ExtractFile(zip, r.position, r.filesize, member));
        ASSERT_EQ(member.Length(), r.filesize);

        // The member's bytes are the loose sample file's bytes.
        TFileStream loose(Slashes(kSamples + L"/pictures/" + name), fmOpenRead | fmShareDenyWrite);
        ASSERT_EQ(loose.Size(), static_cast<int64_t>(r.filesize));
        std::vector<uint8_t> bytes(r.filesize);
        loose.ReadBuffer(bytes.data(), bytes.size());
        ASSERT_EQ(0, memcmp(bytes.data(), member.Memory(), bytes.size()));

        TSPIPxDIB picture;
        picture.PaletteMode = 0;
        member.SetPosition(0);
        picture.LoadFromNamedStream(member, name);
        EXPECT_GT(picture.GetWidth(), 0);
        EXPECT_GT(picture.GetHeight(), 0);
        sizes[name] = {picture.GetWidth(), picture.GetHeight()};
    }
    // A few of the sizes the sample script makes.
    EXPECT_EQ(sizes[L"landscape.png"], std::make_pair(320, 200));
    EXPECT_EQ(sizes[L"checker.bmp"], std::make_pair(160, 120));
    EXPECT_EQ(sizes[L"格子.bmp"], std::make_pair(96, 96));
}
