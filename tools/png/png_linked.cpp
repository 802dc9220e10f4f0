// SPDX-License-Identifier: MIT
#include "png_api.h"

namespace velora::tools {

const PngApi* pngApi(std::string&) {
    static const PngApi linked{&png_create_write_struct,
                               &png_create_info_struct,
                               &png_destroy_write_struct,
                               &png_set_longjmp_fn,
                               &png_init_io,
                               &png_set_IHDR,
                               &png_write_info,
                               &png_write_image,
                               &png_write_end};
    return &linked;
}

}  // namespace velora::tools
