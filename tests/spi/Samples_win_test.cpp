// The build's sample archive, through both plug-ins the way the program will use them: list the
// archive, extract each member into memory, decode it.
#include <gtest/gtest.h>

#include <set>

#include "spi/SpiHarness_win.h"

namespace {

TEST(Samples, EveryPictureInTheSampleZipDecodes) {
    TSpiPlugin archive(L"vvarchive.spi"), image(L"vvimage.spi");
    ASSERT_TRUE(archive.Loaded() && image.Loaded());
    const std::string zip = "Z:" VV_SAMPLES "/sample.zip";  // the Unix build folder, as Wine shows it
    HLOCAL list = nullptr;
    ASSERT_EQ(archive.GetArchiveInfo(zip.c_str(), 0, 0, &list), 0);
    const std::vector<THostFileInfo> members = TakeFileInfos(list);
    ASSERT_EQ(members.size(), 8u);
    std::set<std::string> kinds;
    for (const THostFileInfo& m : members) {
        SCOPED_TRACE(std::string(m.path) + m.filename);
        HLOCAL block = nullptr;
        ASSERT_EQ(archive.GetFile(zip.c_str(), static_cast<LONG>(m.position), reinterpret_cast<char*>(&block), 0x100,
                                  nullptr, 0),
                  0);
        const std::vector<uint8_t> bytes = TakeLocal(block);
        ASSERT_EQ(bytes.size(), m.filesize);
        const std::string name = m.filename;
        const std::string extension = name.substr(name.rfind('.'));
        kinds.insert(extension);
        HANDLE info = nullptr, bits = nullptr;
        const int result = image.GetPicture(reinterpret_cast<const char*>(bytes.data()), static_cast<LONG>(bytes.size()),
                                            1, &info, &bits, nullptr, 0);
        if (extension == ".bmp") {
            EXPECT_EQ(result, 2);  // the program reads BMP itself
            continue;
        }
        ASSERT_EQ(result, 0);
        EXPECT_GE(TakeLocal(info).size(), 40u);
        EXPECT_FALSE(TakeLocal(bits).empty());
    }
    EXPECT_EQ(kinds, (std::set<std::string>{".png", ".jpg", ".gif", ".bmp"}));
}

}  // namespace
