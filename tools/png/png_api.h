// SPDX-License-Identifier: MIT
#pragma once
// The libpng functions the writer uses, as a table: tools that may link
// libpng fill it from the linked library; velora-host loads libpng at run
// time, only when it writes a screenshot.
#include <png.h>

#include <string>

namespace velora::tools {

struct PngApi {
    decltype(&::png_create_write_struct) create_write_struct;
    decltype(&::png_create_info_struct) create_info_struct;
    decltype(&::png_destroy_write_struct) destroy_write_struct;
    decltype(&::png_set_longjmp_fn) set_longjmp_fn;
    decltype(&::png_init_io) init_io;
    decltype(&::png_set_IHDR) set_IHDR;
    decltype(&::png_write_info) write_info;
    decltype(&::png_write_image) write_image;
    decltype(&::png_write_end) write_end;
};

// The table, or null with the reason in `error` when libpng cannot be had.
const PngApi* pngApi(std::string& error);

}  // namespace velora::tools
