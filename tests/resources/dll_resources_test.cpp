// The Windows DLL carries the same 40 bitmaps as bitmap resources.
#include <gtest/gtest.h>

#include "pe_resources.h"
#include "resources/bitmap_resource.h"

namespace {

#ifndef VELORA_WINDOWS_DLL
#define VELORA_WINDOWS_DLL ""
#endif

TEST(DllResources, EveryBitmapIsAResourceOfTheDllWithTheSameBytes) {
    if (std::string(VELORA_WINDOWS_DLL).empty()) GTEST_SKIP() << "no Windows build given (VELORA_WINDOWS_BUILD)";
    const auto resources = velora::test::readBitmapResources(VELORA_WINDOWS_DLL);
    ASSERT_EQ(resources.size(), 40u) << VELORA_WINDOWS_DLL;
    for (int id = 10001; id <= 10040; ++id) {
        SCOPED_TRACE(id);
        const auto* bitmap = velora::resources::findBitmapResource(id);
        ASSERT_NE(bitmap, nullptr);
        ASSERT_TRUE(resources.contains(id));
        // A bitmap resource is the BMP file without its 14-byte file header.
        const std::vector<std::uint8_t> expected(bitmap->file + 14, bitmap->file + bitmap->fileSize);
        EXPECT_EQ(resources.at(id), expected);
    }
}

}  // namespace
