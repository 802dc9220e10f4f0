// SPDX-License-Identifier: MIT
#include "png_writer.h"

#include "png_api.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "output_file.h"

namespace velora::tools {
namespace {

// libpng reports failures by jumping back here; nothing with a destructor
// may live between the jump buffer and the calls.
bool writeRows(const PngApi& api, std::FILE* file, int width, int height, png_bytepp rows) {
    png_structp png = api.create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = api.create_info_struct(png);
    if (!info || setjmp(*api.set_longjmp_fn(png, std::longjmp, sizeof(std::jmp_buf)))) {
        api.destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    api.init_io(png, file);
    api.set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    api.write_info(png, info);
    api.write_image(png, rows);
    api.write_end(png, nullptr);
    api.destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writeRgbPng(int width, int height, const std::uint8_t* rgb, const std::string& path, std::string& error) {
    if (width <= 0 || height <= 0 || !rgb) {
        error = "no picture to write";
        return false;
    }
    const PngApi* api = pngApi(error);
    if (!api) return false;
    OutputFile file;
    if (!file.open(path, error)) return false;
    const auto stride = static_cast<std::size_t>(width) * 3;
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(rgb + y * stride);  // libpng only reads them
    if (!writeRows(*api, file.stream(), width, height, rows.data())) {
        error = file.writeFailure();
        return false;
    }
    return file.commit(error);
}

}  // namespace velora::tools
