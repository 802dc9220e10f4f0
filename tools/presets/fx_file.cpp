// SPDX-License-Identifier: MIT
#include "fx_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

#include "input_file.h"
#include "output_file.h"

namespace velora::presets {
namespace {

constexpr std::int32_t kChunkMagic = fourCC("CcnK");
constexpr std::int32_t kProgramMagic = fourCC("FxCk");
constexpr std::int32_t kBankMagic = fourCC("FxBk");
constexpr std::int32_t kOpaqueProgramMagic = fourCC("FPCh");
constexpr std::int32_t kOpaqueBankMagic = fourCC("FBCh");
constexpr std::int32_t kProgramFormatVersion = 1;
constexpr std::int32_t kBankFormatVersion = 1;  // version 2 adds the current program; both are read
constexpr std::size_t kNameBytes = 28;
constexpr std::size_t kProgramHeaderBytes = 7 * 4 + kNameBytes;
constexpr std::size_t kBankReservedBytes = 128;
constexpr std::size_t kBankHeaderBytes = 7 * 4 + kBankReservedBytes;
constexpr std::int32_t kMaxCount = 1 << 20;  // beyond any plug-in; keeps size arithmetic small

class ByteWriter {
public:
    void int32(std::int32_t value) {
        const auto bits = static_cast<std::uint32_t>(value);
        for (int shift = 24; shift >= 0; shift -= 8) bytes_.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
    void real(float value) { int32(std::bit_cast<std::int32_t>(value)); }
    void text(const std::string& value, std::size_t size) {  // zero-padded, always terminated
        const std::size_t length = std::min(value.size(), size - 1);
        bytes_.insert(bytes_.end(), value.begin(), value.begin() + static_cast<std::ptrdiff_t>(length));
        bytes_.insert(bytes_.end(), size - length, 0);
    }
    void zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// Big-endian fields of a byte range whose length has been checked already.
class ByteReader {
public:
    explicit ByteReader(const std::uint8_t* data) : data_(data) {}
    std::int32_t int32() {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) bits = (bits << 8) | data_[pos_++];
        return static_cast<std::int32_t>(bits);
    }
    float real() { return std::bit_cast<float>(int32()); }
    // At most size - 1 characters: the last byte is the terminator even where
    // a writer left it out, so every name read can be written back whole.
    std::string text(std::size_t size) {
        std::size_t length = 0;
        while (length + 1 < size && data_[pos_ + length] != 0) ++length;
        std::string value(reinterpret_cast<const char*>(data_ + pos_), length);
        pos_ += size;
        return value;
    }
    void skip(std::size_t count) { pos_ += count; }

private:
    const std::uint8_t* data_;
    std::size_t pos_ = 0;
};

std::string fourCCText(std::int32_t value) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<std::uint32_t>(value) >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(value));
            return hex;
        }
        text += c;
    }
    return "'" + text + "'";
}

std::string numberText(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// "program 3 "Bright Keys"" in a bank, "program "Bright Keys"" in a preset.
std::string programLabel(std::int32_t index, const std::string& name) {
    return index < 0 ? "program \"" + name + "\"" : "program " + std::to_string(index) + " \"" + name + "\"";
}

void writeProgram(ByteWriter& out, const FxOwner& owner, const FxProgram& program) {
    const auto count = static_cast<std::int32_t>(program.values.size());
    out.int32(kChunkMagic);
    out.int32(static_cast<std::int32_t>(kProgramHeaderBytes - 8 + 4 * program.values.size()));
    out.int32(kProgramMagic);
    out.int32(kProgramFormatVersion);
    out.int32(owner.pluginId);
    out.int32(owner.pluginVersion);
    out.int32(count);
    out.text(program.name, kNameBytes);
    for (float value : program.values) out.real(value);
}

// The 'CcnK' header at `data`: checks it and gives the extent it announces
// (8 + byte size). A whole file must be exactly that long; a program inside
// a bank may be followed by more.
bool readChunkExtent(const std::uint8_t* data, std::size_t available, bool wholeFile, std::size_t& extent,
                     std::string& error) {
    // In 64 bits: a size field near 4 GB must not wrap on 32-bit systems.
    const auto have = static_cast<std::uint64_t>(available);
    if (available < 8) {
        // Built by appending: GCC 12 warns falsely on literal + to_string chains.
        error = "truncated: ";
        error += std::to_string(available);
        error += " bytes where a header needs 8";
        return false;
    }
    ByteReader in(data);
    if (in.int32() != kChunkMagic) {
        error = "not a VST preset or bank (no 'CcnK' header)";
        return false;
    }
    const std::uint64_t announced = 8 + std::uint64_t(static_cast<std::uint32_t>(in.int32()));
    if (announced > have) {
        error = "truncated: the header announces ";
        error += std::to_string(announced);
        error += " bytes, only ";
        error += std::to_string(have);
        error += " are there";
        return false;
    }
    if (wholeFile && announced != have) {
        error = "wrong size: the header announces ";
        error += std::to_string(announced);
        error += " bytes, the file holds ";
        error += std::to_string(have);
        return false;
    }
    extent = static_cast<std::size_t>(announced);
    return true;
}

bool checkKind(std::int32_t magic, std::int32_t wanted, std::string& error) {
    if (magic == wanted) return true;
    if (magic == kOpaqueProgramMagic || magic == kOpaqueBankMagic)
        error = "holds an opaque data chunk; only files of parameter values can be loaded";
    else if (magic == kBankMagic)
        error = "is a bank (.fxb), not a single program (.fxp)";
    else if (magic == kProgramMagic)
        error = "is a single program (.fxp), not a bank (.fxb)";
    else
        error = "unknown kind " + fourCCText(magic) + " (expected " + fourCCText(wanted) + ")";
    return false;
}

// One 'FxCk' program chunk at `data`; `used` is its extent.
bool readProgram(const std::uint8_t* data, std::size_t available, bool wholeFile, FxOwner& owner, FxProgram& program,
                 std::size_t& used, std::string& error) {
    if (!readChunkExtent(data, available, wholeFile, used, error)) return false;
    if (used < kProgramHeaderBytes) {
        error = "truncated: a program header needs " + std::to_string(kProgramHeaderBytes) + " bytes, only " +
                std::to_string(used) + " are there";
        return false;
    }
    ByteReader in(data);
    in.skip(8);
    if (!checkKind(in.int32(), kProgramMagic, error)) return false;
    const std::int32_t version = in.int32();
    if (version != kProgramFormatVersion) {
        error = "unsupported program format version " + std::to_string(version);
        return false;
    }
    owner.pluginId = in.int32();
    owner.pluginVersion = in.int32();
    const std::int32_t count = in.int32();
    if (count < 0 || count > kMaxCount || std::uint64_t(used) != kProgramHeaderBytes + 4 * std::uint64_t(count)) {
        error =
            "wrong size: " + std::to_string(count) + " parameter values do not fill " + std::to_string(used) + " bytes";
        return false;
    }
    program.name = in.text(kNameBytes);
    program.values.resize(static_cast<std::size_t>(count));
    for (float& value : program.values) value = in.real();
    return true;
}

// Empty when every value is a normalised parameter value; otherwise the
// first that is not. Others would reach the plug-in as they are (a level
// of 1e6 is +120 dB).
std::string valueFault(const FxProgram& program) {
    for (std::size_t i = 0; i < program.values.size(); ++i) {
        const float value = program.values[i];
        if (!std::isfinite(value)) return "the value of parameter " + std::to_string(i) + " is not a finite number";
        if (!(value >= 0.0f && value <= 1.0f))
            return "the value of parameter " + std::to_string(i) + " is " + numberText(value) + ", outside 0..1";
    }
    return {};
}

// A version-2 bank names its current program in the first reserved field.
void readCurrentProgram(ByteReader& in, std::int32_t version, FxFile& file) {
    const std::int32_t current = in.int32();
    if (version < 2) return;
    const auto count = static_cast<std::int32_t>(file.programs.size());
    if (current >= 0 && current < count)
        file.currentProgram = current;
    else
        file.warnings.push_back("current program " + std::to_string(current) + " is not one of its " +
                                std::to_string(count) + " programs; ignored");
}

}  // namespace

std::vector<std::uint8_t> writeProgramFile(const FxOwner& owner, const FxProgram& program) {
    ByteWriter out;
    writeProgram(out, owner, program);
    return std::move(out.bytes());
}

std::vector<std::uint8_t> writeBankFile(const FxOwner& owner, const std::vector<FxProgram>& programs) {
    ByteWriter out;
    std::size_t programBytes = 0;
    for (const FxProgram& program : programs) programBytes += kProgramHeaderBytes + 4 * program.values.size();
    out.int32(kChunkMagic);
    out.int32(static_cast<std::int32_t>(kBankHeaderBytes - 8 + programBytes));
    out.int32(kBankMagic);
    out.int32(kBankFormatVersion);
    out.int32(owner.pluginId);
    out.int32(owner.pluginVersion);
    out.int32(static_cast<std::int32_t>(programs.size()));
    out.zeros(kBankReservedBytes);
    for (const FxProgram& program : programs) writeProgram(out, owner, program);
    return std::move(out.bytes());
}

std::optional<FxFile> readProgramFile(const std::vector<std::uint8_t>& bytes, std::string& error) {
    FxFile file;
    file.programs.resize(1);
    std::size_t used = 0;
    if (!readProgram(bytes.data(), bytes.size(), true, file.owner, file.programs[0], used, error)) return std::nullopt;
    if (const std::string fault = valueFault(file.programs[0]); !fault.empty()) {
        error = programLabel(-1, file.programs[0].name) + ": " + fault;
        return std::nullopt;
    }
    return file;
}

std::optional<FxFile> readBankFile(const std::vector<std::uint8_t>& bytes, std::string& error) {
    std::size_t extent = 0;
    if (!readChunkExtent(bytes.data(), bytes.size(), true, extent, error)) return std::nullopt;
    if (extent < kBankHeaderBytes) {
        // Too short for a bank header; still name the kind if it is another.
        if (extent >= 12 && !checkKind(ByteReader(bytes.data() + 8).int32(), kBankMagic, error)) return std::nullopt;
        error = "truncated: a bank header needs " + std::to_string(kBankHeaderBytes) + " bytes, only " +
                std::to_string(extent) + " are there";
        return std::nullopt;
    }
    ByteReader in(bytes.data());
    in.skip(8);
    if (!checkKind(in.int32(), kBankMagic, error)) return std::nullopt;
    const std::int32_t version = in.int32();
    if (version != 1 && version != 2) {
        error = "unsupported bank format version " + std::to_string(version);
        return std::nullopt;
    }
    FxFile file;
    file.owner.pluginId = in.int32();
    file.owner.pluginVersion = in.int32();
    const std::int32_t count = in.int32();
    if (count < 1 || count > kMaxCount) {
        error = "implausible program count " + std::to_string(count);
        return std::nullopt;
    }
    std::size_t offset = kBankHeaderBytes;
    for (std::int32_t i = 0; i < count; ++i) {
        FxOwner owner;
        FxProgram program;
        std::size_t used = 0;
        if (!readProgram(bytes.data() + offset, bytes.size() - offset, false, owner, program, used, error)) {
            error = "program " + std::to_string(i) + ": " + error;
            return std::nullopt;
        }
        if (owner.pluginId != file.owner.pluginId) {
            error = "program " + std::to_string(i) + " belongs to another plug-in than the bank";
            return std::nullopt;
        }
        if (const std::string fault = valueFault(program); !fault.empty()) {
            error = programLabel(i, program.name) + ": " + fault;
            return std::nullopt;
        }
        file.programs.push_back(std::move(program));
        offset += used;
    }
    if (offset != bytes.size()) {
        error = "wrong size: " + std::to_string(bytes.size() - offset) + " bytes after the last program";
        return std::nullopt;
    }
    ByteReader reserved(bytes.data() + kBankHeaderBytes - kBankReservedBytes);
    readCurrentProgram(reserved, version, file);
    return file;
}

std::string mismatchWith(const FxFile& file, std::int32_t pluginId, std::int32_t paramCount,
                         std::int32_t programCount) {
    if (file.owner.pluginId != pluginId)
        return "belongs to another plug-in (id " + fourCCText(file.owner.pluginId) + ", this one is " +
               fourCCText(pluginId) + ")";
    if (static_cast<std::int64_t>(file.programs.size()) > programCount)
        return "holds " + std::to_string(file.programs.size()) + " programs, the plug-in has " +
               std::to_string(programCount);
    for (const FxProgram& program : file.programs) {
        if (static_cast<std::int64_t>(program.values.size()) != paramCount)
            return "holds " + std::to_string(program.values.size()) + " parameter values, the plug-in has " +
                   std::to_string(paramCount);
    }
    return {};
}

std::string partialBankNote(const FxFile& file, std::int32_t programCount) {
    const auto count = static_cast<std::int64_t>(file.programs.size());
    if (count >= programCount) return {};
    return "holds " + std::to_string(count) + " of the plug-in's " + std::to_string(programCount) + " programs; " +
           (count + 1 == programCount ? "program " + std::to_string(count) + " is left as it is"
                                      : "programs " + std::to_string(count) + ".." + std::to_string(programCount - 1) +
                                            " are left as they are");
}

bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error,
                   std::uint64_t maxBytes) {
    return tools::readInputFile(path, maxBytes, "a preset or bank file", bytes, error);
}

bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    return tools::writeWholeFile(path, bytes, error);
}

}  // namespace velora::presets
