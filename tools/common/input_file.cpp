// SPDX-License-Identifier: MIT
#include "input_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "file_reason.h"

namespace velora::tools {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool isReadableKind(const std::string& path, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code code;
    const fs::file_status status = fs::status(path, code);
    if (status.type() == fs::file_type::not_found || code) {
        error = fileFailure("cannot open", path, reasonOf(code ? code.value() : ENOENT));
        return false;
    }
    if (status.type() == fs::file_type::directory) {
        error = "'" + path + "' is a folder, not a file";
        return false;
    }
    if (status.type() != fs::file_type::regular) {
        error = "'" + path + "' is not a regular file";
        return false;
    }
    return true;
}

std::string tooLarge(const std::string& path, const std::string& size, std::uint64_t maxBytes, const char* kind) {
    return "'" + path + "' holds " + size + ", more than " + kind + " may (at most " + sizeText(maxBytes) + ")";
}

}  // namespace

bool readInputFile(const std::string& path, std::uint64_t maxBytes, const char* kind, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
    bytes.clear();
    if (!isReadableKind(path, error)) return false;
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(path, code);
    if (!code && size > maxBytes) {
        error = tooLarge(path, sizeText(size), maxBytes, kind);
        return false;
    }
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = fileFailure("cannot open", path, reasonOf(errno));
        return false;
    }
    // The size may change after the check: read in pieces, never past the bound.
    std::uint8_t piece[65536];
    for (;;) {
        const std::size_t got = std::fread(piece, 1, sizeof piece, file.get());
        if (bytes.size() + got > maxBytes) {
            error = tooLarge(path, "more than " + sizeText(maxBytes), maxBytes, kind);
            bytes.clear();
            return false;
        }
        bytes.insert(bytes.end(), piece, piece + got);
        if (got < sizeof piece) break;
    }
    if (std::ferror(file.get())) {
        error = fileFailure("cannot read", path, reasonOf(errno));
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace velora::tools
