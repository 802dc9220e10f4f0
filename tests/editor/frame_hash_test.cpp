// SPDX-License-Identifier: MIT
// The whole editor on screen, as a hash of its pixels per program. A changed
// hash must be deliberate (new artwork, a drawing change) and explained in
// the commit; VELORA_UPDATE_FRAME_HASHES=1 rewrites the stored ones.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "editor_fixture.h"

namespace velora::test {
namespace {

std::string fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001b3ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::map<std::string, std::string> storedHashes() {
    std::map<std::string, std::string> hashes;
    std::ifstream file(VELORA_FRAME_HASHES);
    std::string name, hash;
    while (file >> name >> hash) hashes[name] = hash;
    return hashes;
}

TEST_F(EditorTest, FramePixelsPerProgramAreAsStored) {
    std::map<std::string, std::string> actual;
    for (float factor : {1.0f, 1.5f, 2.0f}) {
        sendHostScale(factor);
        for (int program : {1, 56}) {
            effect->setProgram(program);
            openEditor();
            char name[32];
            if (factor == 1.0f)
                std::snprintf(name, sizeof name, "program-%d", program);
            else
                std::snprintf(name, sizeof name, "program-%d@%d", program, static_cast<int>(factor * 100));
            actual[name] = fnv1a(platform.lastWindow()->screen().bytes());
            dispatch(vst::effEditClose);
        }
    }
    if (const char* update = std::getenv("VELORA_UPDATE_FRAME_HASHES"); update && *update == '1') {
        std::ofstream file(VELORA_FRAME_HASHES);
        for (const auto& [name, hash] : actual) file << name << ' ' << hash << '\n';
        GTEST_SKIP() << "stored the frame hashes";
    }
    EXPECT_EQ(storedHashes(), actual);
}

}  // namespace
}  // namespace velora::test
