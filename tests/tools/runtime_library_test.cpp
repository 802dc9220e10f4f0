// SPDX-License-Identifier: MIT
// Libraries opened at run time: usable only when the library and every
// function asked for are there, with a reason that names what is missing.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "runtime_library.h"

namespace velora::tools {
namespace {

struct LibraryCase {
    const char* library;
    const char* function;
    bool usable;
    const char* reasonStart;  // of the error when not usable
};

constexpr LibraryCase kCases[] = {
    {"libc.so.6", "strlen", true, ""},
    {"libc.so.6", "velora_no_such_function", false, "libc.so.6 has no velora_no_such_function"},
    {"libvelora-not-installed.so.9", "strlen", false, "cannot load libvelora-not-installed.so.9 ("},
};

TEST(RuntimeLibrary, UsableOnlyWithEveryFunctionAndSaysWhatIsMissing) {
    for (const LibraryCase& c : kCases) {
        SCOPED_TRACE(std::string(c.library) + " " + c.function);
        RuntimeLibrary library(c.library);
        std::size_t (*function)(const char*) = nullptr;
        library.find(c.function, function);
        std::string error;
        EXPECT_EQ(library.usable(error), c.usable);
        EXPECT_EQ(function != nullptr, c.usable);
        EXPECT_EQ(error.rfind(c.reasonStart, 0), 0u) << error;
        if (c.usable) {
            EXPECT_EQ(function("four"), 4u);
        }
    }
}

}  // namespace
}  // namespace velora::tools
