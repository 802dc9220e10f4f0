// SPDX-License-Identifier: MIT
#pragma once
// An output file that appears under its name only when it is complete. It is
// written to a temporary file in the same folder and renamed over the
// destination by commit(); until then an existing file of that name is left
// as it was, and an interruption or a failed write leaves no half-written
// file. Destinations that exist but are not regular files (/dev/null, a
// terminal) are written directly.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace velora::tools {

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();  // discards what was not committed

    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return stream_ != nullptr; }
    std::FILE* stream() const { return stream_; }
    const std::string& path() const { return path_; }

    // Writes `size` bytes; on failure `error` names the file and the reason.
    bool write(const void* data, std::size_t size, std::string& error);
    // "cannot write 'PATH': REASON" for a failure of the stream just now.
    std::string writeFailure() const;

    // Flushes, closes and moves the file into place.
    bool commit(std::string& error);
    // Closes and removes the temporary file; the destination stays as it was.
    void discard();

private:
    std::FILE* stream_ = nullptr;
    std::string path_;       // the destination, as given
    std::string target_;     // the file the rename replaces (a link's target)
    std::string temporary_;  // empty when writing directly
};

// The whole of `bytes` into `path`, through an OutputFile.
bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace velora::tools
