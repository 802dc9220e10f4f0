// SPDX-License-Identifier: MIT
#include "png_api.h"
#include "runtime_library.h"

namespace velora::tools {
namespace {

// The library of the headers we build against (1.6).
bool load(PngApi& png, std::string& error) {
    RuntimeLibrary library("libpng16.so.16");
    library.find("png_create_write_struct", png.create_write_struct);
    library.find("png_create_info_struct", png.create_info_struct);
    library.find("png_destroy_write_struct", png.destroy_write_struct);
    library.find("png_set_longjmp_fn", png.set_longjmp_fn);
    library.find("png_init_io", png.init_io);
    library.find("png_set_IHDR", png.set_IHDR);
    library.find("png_write_info", png.write_info);
    library.find("png_write_image", png.write_image);
    library.find("png_write_end", png.write_end);
    if (library.usable(error)) return true;
    error += "; writing PNG files needs libpng";
    return false;
}

}  // namespace

const PngApi* pngApi(std::string& error) {
    static std::string loadError;
    static const PngApi* const loaded = [] {
        static PngApi functions;
        return load(functions, loadError) ? &functions : nullptr;
    }();
    if (!loaded) error = loadError;
    return loaded;
}

}  // namespace velora::tools
