// SPDX-License-Identifier: MIT
// The Windows DLL carries the same 40 bitmaps as bitmap resources.
#include <gtest/gtest.h>

#include "pe_resources.h"
#include "resources/bitmap_ids.h"
#include "resources/bitmap_resource.h"

namespace {

#ifndef VELORA_WINDOWS_DLL
#define VELORA_WINDOWS_DLL ""
#endif

TEST(DllResources, EveryBitmapIsAResourceOfTheDllWithTheSameBytes) {
    if (std::string(VELORA_WINDOWS_DLL).empty()) GTEST_SKIP() << "no Windows build given (VELORA_WINDOWS_BUILD)";
    const auto resources = velora::test::readBitmapResources(VELORA_WINDOWS_DLL);
    using velora::resources::kFirstBitmapId, velora::resources::kLastBitmapId;
    ASSERT_EQ(resources.size(), static_cast<std::size_t>(kLastBitmapId - kFirstBitmapId + 1)) << VELORA_WINDOWS_DLL;
    for (int id = kFirstBitmapId; id <= kLastBitmapId; ++id) {
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
