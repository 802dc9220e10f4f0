// SPDX-License-Identifier: MIT
#include "listing_commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "text_format.h"

namespace velora::host {
namespace {

// Listings stop here even if a plug-in claims more entries.
constexpr vst::VstInt32 kMaxListed = 100000;
constexpr vst::VstInt32 kMaxPins = 64;

const char* const kCanDoTexts[] = {
    "sendVstEvents",
    "sendVstMidiEvent",
    "receiveVstEvents",
    "receiveVstMidiEvent",
    "receiveVstTimeInfo",
    "receiveVstSysexEvent",
    "midiProgramNames",
    "offline",
    "bypass",
    "noRealTime",
    "1in1out",
    "1in2out",
    "2in1out",
    "2in2out",
    "0in2out",
    "plugAsChannelInsert",
    "plugAsSend",
    "mixDryWet",
};

const char* categoryName(vst::VstIntPtr category) {
    static const char* const names[] = {"unknown",     "effect",          "synth",   "analysis",
                                        "mastering",   "spacializer",     "room fx", "surround fx",
                                        "restoration", "offline process", "shell",   "generator"};
    return category >= 0 && category < 12 ? names[category] : "other";
}

std::string flagNames(std::uint32_t flags) {
    static const struct {
        std::uint32_t bit;
        const char* name;
    } known[] = {
        {vst::effFlagsHasEditor, "HasEditor"},
        {vst::effFlagsHasClip, "HasClip"},
        {vst::effFlagsHasVu, "HasVu"},
        {vst::effFlagsCanMono, "CanMono"},
        {vst::effFlagsCanReplacing, "CanReplacing"},
        {vst::effFlagsProgramChunks, "ProgramChunks"},
        {vst::effFlagsIsSynth, "IsSynth"},
        {vst::effFlagsNoSoundInStop, "NoSoundInStop"},
        {1u << 12, "CanDoubleReplacing"},
    };
    std::string text;
    for (const auto& flag : known) {
        if (!(flags & flag.bit)) continue;
        if (!text.empty()) text += ' ';
        text += flag.name;
    }
    return text;
}

// A fixed-size text field of a record, which may lack its terminator.
std::string fieldText(const char* field, std::size_t size) {
    return std::string(field, std::find(field, field + size, '\0'));
}

std::string padded(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

// Trailing blanks are dropped, so an empty last column leaves no padding.
void line(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void field(const char* name, const std::string& value) { line(padded(std::string(name) + ":", 28) + value); }

std::unique_ptr<PluginInstance> openPlugin(const GlobalOptions& options, std::string& error) {
    auto plugin = loadPlugin(options, error);
    if (plugin) plugin->open();
    return plugin;
}

vst::VstInt32 listedCount(vst::VstInt32 count) { return std::clamp<vst::VstInt32>(count, 0, kMaxListed); }

void printOutputPins(PluginInstance& plugin) {
    const vst::VstInt32 pins = std::clamp<vst::VstInt32>(plugin.effect()->numOutputs, 0, kMaxPins);
    for (vst::VstInt32 i = 0; i < pins; ++i) {
        vst::VstPinProperties pin{};
        const vst::VstIntPtr result = plugin.dispatch(vst::effGetOutputProperties, i, 0, &pin);
        std::string text = std::to_string(result);
        if (result != 0)
            text += ", label \"" + fieldText(pin.label, sizeof pin.label) + "\", short \"" +
                    fieldText(pin.shortLabel, sizeof pin.shortLabel) + "\", flags " +
                    hex32(static_cast<std::uint32_t>(pin.flags)) + ", arrangement " +
                    std::to_string(pin.arrangementType);
        field(("output " + std::to_string(i)).c_str(), text);
    }
}

// Built by appending: GCC 12 warns wrongly about "literal" + string here.
std::string quoted(const std::string& text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    result += text;
    result += '"';
    return result;
}

}  // namespace

int runInfo(const GlobalOptions& options) {
    std::string error;
    auto plugin = openPlugin(options, error);
    if (!plugin) return reportError(error);
    const vst::AEffect& effect = *plugin->effect();
    field("effect name", quoted(plugin->textQuery(vst::effGetEffectName)));
    field("vendor", quoted(plugin->textQuery(vst::effGetVendorString)));
    field("product", quoted(plugin->textQuery(vst::effGetProductString)));
    field("vendor version", std::to_string(plugin->dispatch(vst::effGetVendorVersion)));
    field("unique id", std::to_string(effect.uniqueID) + " (" + fourCharText(effect.uniqueID) + ")");
    field("effect version", std::to_string(effect.version));
    field("VST version", std::to_string(plugin->dispatch(vst::effGetVstVersion)));
    const vst::VstIntPtr category = plugin->dispatch(vst::effGetPlugCategory);
    field("category", std::to_string(category) + " (" + categoryName(category) + ")");
    const auto flags = static_cast<std::uint32_t>(effect.flags);
    field("flags", hex32(flags) + (flags ? " (" + flagNames(flags) + ")" : ""));
    field("inputs", std::to_string(effect.numInputs));
    field("outputs", std::to_string(effect.numOutputs));
    field("programs", std::to_string(effect.numPrograms));
    field("parameters", std::to_string(effect.numParams));
    field("initial delay", std::to_string(effect.initialDelay));
    for (const char* text : kCanDoTexts)
        field(("canDo " + std::string(text)).c_str(), std::to_string(plugin->canDo(text)));
    printOutputPins(*plugin);
    std::fflush(stdout);
    return 0;
}

int runParams(const GlobalOptions& options) {
    std::string error;
    auto plugin = openPlugin(options, error);
    if (!plugin) return reportError(error);
    line("index  " + padded("name", 18) + padded("label", 10) + padded("value", 14) + "display");
    const vst::VstInt32 count = listedCount(plugin->effect()->numParams);
    for (vst::VstInt32 i = 0; i < count; ++i) {
        std::string index = std::to_string(i);
        index.insert(0, index.size() < 5 ? 5 - index.size() : 0, ' ');
        line(index + "  " + padded(plugin->parameterName(i), 18) + padded(plugin->parameterLabel(i), 10) +
             padded(shortestFloat(plugin->getParameter(i)), 14) + plugin->parameterDisplay(i));
    }
    std::fflush(stdout);
    return 0;
}

int runPrograms(const GlobalOptions& options) {
    std::string error;
    auto plugin = openPlugin(options, error);
    if (!plugin) return reportError(error);
    const vst::VstInt32 count = listedCount(plugin->effect()->numPrograms);
    for (vst::VstInt32 i = 0; i < count; ++i) {
        std::string index = std::to_string(i);
        index.insert(0, index.size() < 5 ? 5 - index.size() : 0, ' ');
        line(index + "  " + plugin->programName(i));
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace velora::host
