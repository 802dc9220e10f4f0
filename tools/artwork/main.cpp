// SPDX-License-Identifier: MIT
// velora-artwork: draws the editor's 40 bitmaps.
//   velora-artwork --write DIR     write DIR/<id>.bmp for every bitmap
//   velora-artwork --check DIR     exit 1 unless DIR holds exactly what would be written
//   velora-artwork --preview FILE  also write a PNG of the assembled editor
//   velora-artwork --scaled-write DIR / --scaled-check DIR
//                                  the same at 150 and 200 %, run-length coded
//                                  as DIR/<id + 10000 or + 20000>.rle
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bitmap_set.h"
#include "bmp_file.h"
#include "preview.h"
#include "resources/bitmap_ids.h"
#include "resources/run_length.h"

using namespace velora::artwork;

namespace {

std::string bitmapPath(const std::string& folder, int id) { return folder + "/" + std::to_string(id) + ".bmp"; }
std::string scaledPath(const std::string& folder, int id) { return folder + "/" + std::to_string(id) + ".rle"; }

std::vector<std::uint8_t> runLengthOf(const Image& image) {
    velora::resources::RgbImage rgb{image.width, image.height, {}};
    for (const Pixel& p : image.pixels) rgb.rgb.insert(rgb.rgb.end(), {p.r, p.g, p.b});
    return velora::resources::encodeRunLength(rgb);
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int usage() {
    std::fprintf(stderr, "usage: velora-artwork [--write DIR | --check DIR] [--preview FILE.png]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string writeDir, checkDir, previewFile, scaledWriteDir, scaledCheckDir;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--write")
            writeDir = argv[i + 1];
        else if (option == "--check")
            checkDir = argv[i + 1];
        else if (option == "--preview")
            previewFile = argv[i + 1];
        else if (option == "--scaled-write")
            scaledWriteDir = argv[i + 1];
        else if (option == "--scaled-check")
            scaledCheckDir = argv[i + 1];
        else
            return usage();
    }
    if (argc % 2 == 0 || (writeDir.empty() && checkDir.empty() && previewFile.empty() && scaledWriteDir.empty() &&
                          scaledCheckDir.empty()))
        return usage();

    const FontText text(VELORA_FONT_REGULAR, VELORA_FONT_BOLD);
    if (!text.ready()) {
        std::fprintf(stderr, "velora-artwork: cannot load %s or %s\n", VELORA_FONT_REGULAR, VELORA_FONT_BOLD);
        return 1;
    }
    const auto bitmaps = drawAllBitmaps(text);
    int status = 0;
    for (const auto& [id, image] : bitmaps) {
        const auto bytes = encodeBmp(image);
        if (!writeDir.empty() && !writeFile(bitmapPath(writeDir, id), bytes)) {
            std::fprintf(stderr, "velora-artwork: cannot write %s\n", bitmapPath(writeDir, id).c_str());
            status = 1;
        }
        if (!checkDir.empty() && readFile(bitmapPath(checkDir, id)) != bytes) {
            std::fprintf(stderr, "velora-artwork: %s differs from the drawing\n", bitmapPath(checkDir, id).c_str());
            status = 1;
        }
    }
    if (!scaledWriteDir.empty() || !scaledCheckDir.empty()) {
        for (int percent : {150, 200}) {
            for (const auto& [id, image] : drawAllBitmaps(text, percent)) {
                const int scaledId = velora::resources::bitmapIdAtPercent(id, percent);
                const auto bytes = runLengthOf(image);
                if (!scaledWriteDir.empty() && !writeFile(scaledPath(scaledWriteDir, scaledId), bytes)) {
                    std::fprintf(stderr, "velora-artwork: cannot write %s\n",
                                 scaledPath(scaledWriteDir, scaledId).c_str());
                    status = 1;
                }
                if (!scaledCheckDir.empty() && readFile(scaledPath(scaledCheckDir, scaledId)) != bytes) {
                    std::fprintf(stderr, "velora-artwork: %s differs from the drawing\n",
                                 scaledPath(scaledCheckDir, scaledId).c_str());
                    status = 1;
                }
            }
        }
    }
    if (!previewFile.empty() && !writePng(composePreview(bitmaps, text), previewFile)) {
        std::fprintf(stderr, "velora-artwork: cannot write %s\n", previewFile.c_str());
        status = 1;
    }
    return status;
}
