#include <dlfcn.h>

#include "png_api.h"

namespace velora::tools {
namespace {

// The library of the headers we build against (1.6).
constexpr const char* kLibraryName = "libpng16.so.16";

template <typename Function>
bool find(void* library, const char* name, Function& out, std::string& missing) {
    out = reinterpret_cast<Function>(dlsym(library, name));
    if (!out && missing.empty()) missing = name;
    return out != nullptr;
}

bool load(PngApi& png, std::string& error) {
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = std::string("cannot load ") + kLibraryName + " (" + (reason ? reason : "not found") +
                "); writing PNG files needs libpng";
        return false;
    }
    std::string missing;
    bool ok = find(library, "png_create_write_struct", png.create_write_struct, missing);
    ok = find(library, "png_create_info_struct", png.create_info_struct, missing) && ok;
    ok = find(library, "png_destroy_write_struct", png.destroy_write_struct, missing) && ok;
    ok = find(library, "png_set_longjmp_fn", png.set_longjmp_fn, missing) && ok;
    ok = find(library, "png_init_io", png.init_io, missing) && ok;
    ok = find(library, "png_set_IHDR", png.set_IHDR, missing) && ok;
    ok = find(library, "png_write_info", png.write_info, missing) && ok;
    ok = find(library, "png_write_image", png.write_image, missing) && ok;
    ok = find(library, "png_write_end", png.write_end, missing) && ok;
    if (!ok) {
        error = std::string(kLibraryName) + " has no " + missing;
        dlclose(library);
    }
    return ok;
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
