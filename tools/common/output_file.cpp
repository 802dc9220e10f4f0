// SPDX-License-Identifier: MIT
#include "output_file.h"

#include <cerrno>
#include <filesystem>

#include "file_reason.h"
#include "interruption.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velora::tools {
namespace {

namespace fs = std::filesystem;

// ".NAME.XXXXXX" beside the target: hidden, and on the same file system so
// the rename replaces the target in one step.
std::string temporaryPattern(const std::string& target) {
    const fs::path path(target);
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string name = ".";  // appended: GCC 12 warns falsely on literal + string + literal
    name += path.filename().string();
    name += '.';
    return (folder / name).string();
}

#ifdef _WIN32
void setDeleteOnClose(HANDLE handle, bool remove) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

void keepOnClose(std::FILE* stream) {
    setDeleteOnClose(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), false);
}

std::FILE* createTemporary(const std::string& target, std::string& temporary, std::string& reason) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryPattern(target) + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        const HANDLE handle = CreateFileA(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            reason = windowsReasonOf(GetLastError());
            return nullptr;
        }
        // Deleted when the handle closes unless commit() keeps it, so even a
        // process ended without notice leaves no temporary file.
        setDeleteOnClose(handle, true);
        const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
        std::FILE* stream = descriptor >= 0 ? _fdopen(descriptor, "wb") : nullptr;
        if (!stream) {
            reason = reasonOf(errno);
            if (descriptor >= 0)
                _close(descriptor);
            else
                CloseHandle(handle);
            DeleteFileA(temporary.c_str());
        }
        return stream;
    }
    reason = "no free temporary name";
    return nullptr;
}

bool replaceTarget(const std::string& temporary, const std::string& target, std::string& reason) {
    if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    reason = windowsReasonOf(GetLastError());
    return false;
}

bool syncToDisk(std::FILE* stream) { return _commit(_fileno(stream)) == 0; }
#else
std::FILE* createTemporary(const std::string& target, std::string& temporary, std::string& reason) {
    std::string pattern = temporaryPattern(target) + "XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) {
        reason = reasonOf(errno);
        return nullptr;
    }
    temporary = pattern;
    // mkstemp makes the file private; give it the mode a new file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    std::FILE* stream = fdopen(descriptor, "wb");
    if (!stream) {
        reason = reasonOf(errno);
        close(descriptor);
        unlink(temporary.c_str());
    }
    return stream;
}

bool replaceTarget(const std::string& temporary, const std::string& target, std::string& reason) {
    if (std::rename(temporary.c_str(), target.c_str()) == 0) return true;
    reason = reasonOf(errno);
    return false;
}

bool syncToDisk(std::FILE* stream) { return fsync(fileno(stream)) == 0 || errno == EINVAL; }

void keepOnClose(std::FILE*) {}
#endif

}  // namespace

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const std::string& path, std::string& error) {
    discard();
    path_ = path;
    target_ = path;
    std::error_code code;
    const fs::file_status status = fs::status(path, code);
    if (status.type() == fs::file_type::directory) {
        error = "'" + path + "' is a folder, not a file";
        return false;
    }
    if (fs::exists(status) && status.type() != fs::file_type::regular) {
        errno = 0;
        stream_ = std::fopen(path.c_str(), "wb");
        if (!stream_) error = fileFailure("cannot open", path, reasonOf(errno));
        return stream_ != nullptr;
    }
    // Through a symbolic link: replace the file it points to, not the link.
    if (fs::is_symlink(fs::symlink_status(path, code))) {
        const fs::path resolved = fs::weakly_canonical(path, code);
        if (!code) target_ = resolved.string();
    }
    std::string reason;
    stream_ = createTemporary(target_, temporary_, reason);
    if (!stream_) {
        temporary_.clear();
        error = fileFailure("cannot create", path, reason);
        return false;
    }
    setPendingTemporary(temporary_.c_str());
    return true;
}

bool OutputFile::write(const void* data, std::size_t size, std::string& error) {
    errno = 0;
    if (stream_ && std::fwrite(data, 1, size, stream_) == size) return true;
    error = writeFailure();
    return false;
}

std::string OutputFile::writeFailure() const {
    return fileFailure("cannot write", path_, errno != 0 ? reasonOf(errno) : "write failed");
}

bool OutputFile::commit(std::string& error) {
    if (!stream_) {
        error = "'" + path_ + "' is not open";
        return false;
    }
    errno = 0;
    bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_) && (temporary_.empty() || syncToDisk(stream_));
    if (!ok) error = writeFailure();
    if (ok && !temporary_.empty()) keepOnClose(stream_);
    errno = 0;
    if (std::fclose(stream_) != 0 && ok) {
        error = writeFailure();
        ok = false;
    }
    stream_ = nullptr;
    if (temporary_.empty()) return ok;
    std::string reason;
    if (ok && !replaceTarget(temporary_, target_, reason)) {
        error = fileFailure("cannot replace", path_, reason);
        ok = false;
    }
    if (!ok) std::remove(temporary_.c_str());
    clearPendingTemporary();
    temporary_.clear();
    return ok;
}

void OutputFile::discard() {
    if (stream_) std::fclose(stream_);
    stream_ = nullptr;
    if (!temporary_.empty()) {
        std::remove(temporary_.c_str());
        clearPendingTemporary();
    }
    temporary_.clear();
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    OutputFile file;
    return file.open(path, error) && file.write(bytes.data(), bytes.size(), error) && file.commit(error);
}

}  // namespace velora::tools
