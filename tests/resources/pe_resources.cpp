// SPDX-License-Identifier: MIT
#include "pe_resources.h"

#include <fstream>
#include <iterator>

namespace velora::test {

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kBitmapType = 2;
constexpr std::uint32_t kSubdirectory = 0x80000000u;

struct Reader {
    const Bytes& bytes;
    bool ok = true;

    std::uint32_t u16(std::size_t at) {
        if (at + 2 > bytes.size()) return fail();
        return bytes[at] | (bytes[at + 1] << 8);
    }
    std::uint32_t u32(std::size_t at) { return u16(at) | (u16(at + 2) << 16); }
    std::uint32_t fail() {
        ok = false;
        return 0;
    }
};

struct Section {
    std::uint32_t rva, size, fileOffset;
};

// Entries of one resource directory: (id, offset) pairs; named entries skipped.
std::vector<std::pair<std::uint32_t, std::uint32_t>> entries(Reader& r, std::size_t directory) {
    const std::uint32_t named = r.u16(directory + 12), numbered = r.u16(directory + 14);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
    for (std::uint32_t i = named; i < named + numbered && r.ok; ++i)
        out.emplace_back(r.u32(directory + 16 + 8 * i), r.u32(directory + 20 + 8 * i));
    return out;
}

}  // namespace

std::map<int, Bytes> readBitmapResources(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Reader r{bytes};
    const std::uint32_t pe = r.u32(0x3C);
    if (!r.ok || r.u32(pe) != 0x4550) return {};
    const std::uint32_t sectionCount = r.u16(pe + 6), optionalSize = r.u16(pe + 20);
    const std::size_t optional = pe + 24;
    // Data directory 2 (resources) sits at 96 + 16 in PE32, 112 + 16 in PE32+.
    const std::size_t directories = optional + (r.u16(optional) == 0x20B ? 112 : 96);
    const std::uint32_t resourceRva = r.u32(directories + 16);

    Section resources{};
    std::vector<Section> sections;
    for (std::uint32_t i = 0; i < sectionCount && r.ok; ++i) {
        const std::size_t header = optional + optionalSize + 40 * i;
        sections.push_back({r.u32(header + 12), r.u32(header + 16), r.u32(header + 20)});
        if (sections.back().rva == resourceRva) resources = sections.back();
    }
    if (!r.ok || resources.size == 0) return {};
    auto fileOffset = [&](std::uint32_t rva) -> std::size_t {
        for (const Section& s : sections)
            if (rva >= s.rva && rva - s.rva < s.size) return s.fileOffset + (rva - s.rva);
        return bytes.size();
    };

    std::map<int, Bytes> bitmaps;
    const std::size_t root = resources.fileOffset;
    for (auto [type, typeOffset] : entries(r, root)) {
        if (type != kBitmapType || !(typeOffset & kSubdirectory)) continue;
        for (auto [id, idOffset] : entries(r, root + (typeOffset & ~kSubdirectory))) {
            if (!(idOffset & kSubdirectory)) continue;
            const auto languages = entries(r, root + (idOffset & ~kSubdirectory));
            if (languages.empty() || (languages[0].second & kSubdirectory)) continue;
            const std::size_t leaf = root + languages[0].second;
            const std::size_t data = fileOffset(r.u32(leaf)), size = r.u32(leaf + 4);
            if (!r.ok || data > bytes.size() || size > bytes.size() - data) return {};
            bitmaps[static_cast<int>(id)] = Bytes(bytes.begin() + data, bytes.begin() + data + size);
        }
    }
    return r.ok ? bitmaps : std::map<int, Bytes>{};
}

}  // namespace velora::test
