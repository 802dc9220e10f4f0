// SPDX-License-Identifier: MIT
// Writes the LV2 bundle's description from the tables the plug-in is built
// from: the port table, the parameter table and the factory bank. Nothing in
// the bundle's .ttl files is written by hand, so they cannot drift.
// Usage: velora-lv2-bundle OUT_DIR UI_MANIFEST_TTL VERSION_MINOR VERSION_MICRO
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "lv2/port_table.h"
#include "lv2/port_values.h"
#include "lv2/program_ports.h"
#include "lv2/urids.h"
#include "programs/factory_bank.h"
#include "shell/parameter_table.h"
#include "ttl_text.h"

namespace velora::lv2 {
namespace {

constexpr const char* kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix patch: <http://lv2plug.in/ns/ext/patch#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix rsz: <http://lv2plug.in/ns/ext/resize-port#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
    "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n";

// Room on the notify port for a full report of every port at once.
constexpr unsigned kNotifyBytes = 16384;

// Stored switches, MIDI learn, and the two layer switches the engine reads as on or off.
bool isSwitch(ParamId param) {
    if (param == kParamToneOn || param == kParamAttackOn) return true;
    const ParamInfo& info = paramInfo(param);
    return info.store == StoreRule::Switch || info.store == StoreRule::TempoSync ||
           info.action == ActionKind::MidiLearn;
}

// The parameter table leaves the voice limit unnamed (hosts of the other
// format never see it); as a port it needs a name.
std::string portName(ParamId param) { return param == kParamVoiceLimit ? "Voice Limit" : paramInfo(param).name; }

std::string manifest(const std::string& uiEntry) {
    std::ostringstream out;
    out << kPrefixes << '<' << kPluginUri << ">\n    a lv2:Plugin ;\n    lv2:binary <velora_lv2.so> ;\n"
        << "    rdfs:seeAlso <velora.ttl> .\n\n";
    for (int index = 0; index < kProgramCount; ++index) {
        Program program{};
        writeFactoryProgram(index, program);
        out << '<' << presetUri(index) << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << kPluginUri << "> ;\n"
            << "    rdfs:label " << quoted(program.name) << " ;\n    rdfs:seeAlso <presets.ttl> .\n\n";
    }
    out << uiEntry;
    return out.str();
}

void controlPort(std::ostringstream& out, std::uint32_t row, const Program& initial) {
    const ParamId param = kControlPorts[row].param;
    const bool voices = param == kParamVoiceLimit;
    out << "    [\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << kFirstControlPort + row
        << " ;\n        lv2:symbol \"" << kControlPorts[row].symbol << "\" ;\n        lv2:name "
        << quoted(portName(param)) << " ;\n        lv2:default " << decimal(programPortValue(initial, param))
        << " ;\n        lv2:minimum " << (voices ? "1" : "0.0") << " ;\n        lv2:maximum "
        << (voices ? "127" : "1.0") << " ;\n";
    if (voices) out << "        lv2:portProperty lv2:integer ;\n";
    if (isSwitch(param)) out << "        lv2:portProperty lv2:toggled ;\n";
    out << "    ]";
}

// The state's keys, as saved sessions and presets name them.
void stateKeys(std::ostringstream& out) {
    for (std::uint32_t row = 0; row < kControlPortCount; ++row) {
        if (assignmentOf(kControlPorts[row].param) < 0) continue;
        out << "\n<" << assignmentKeyUri(row) << ">\n    a rdf:Property ;\n    rdfs:label "
            << quoted("Controller of " + portName(kControlPorts[row].param)) << " ;\n    rdfs:range xsd:float .\n";
    }
    for (int program = 0; program < kProgramCount; ++program)
        out << "\n<" << programNameKeyUri(program) << ">\n    a rdf:Property ;\n    rdfs:label \"Name of program "
            << program << "\" ;\n    rdfs:range xsd:string .\n";
}

std::string pluginDescription(int minor, int micro) {
    Program initial{};
    writeFactoryProgram(0, initial);  // what an instance holds when it starts
    std::ostringstream out;
    out << kPrefixes << '<' << kPluginUri << ">\n    a lv2:InstrumentPlugin , doap:Project ;\n"
        << "    doap:name \"Velora\" ;\n    doap:license <https://spdx.org/licenses/MIT> ;\n"
        << "    doap:maintainer [ foaf:name \"Kiru Sound Design\" ] ;\n"
        << "    lv2:minorVersion " << minor << " ;\n    lv2:microVersion " << micro << " ;\n"
        << "    lv2:requiredFeature urid:map ;\n    lv2:optionalFeature lv2:hardRTCapable ;\n"
        << "    lv2:extensionData state:interface ;\n    ui:ui <" << kUiUri << "> ;\n    lv2:port\n";
    out << "    [\n        a lv2:InputPort , atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports midi:MidiEvent , time:Position , patch:Message ;\n"
        << "        lv2:designation lv2:control ;\n        lv2:index " << kPortEventsIn << " ;\n"
        << "        lv2:symbol \"" << kFixedPortSymbols[kPortEventsIn] << "\" ;\n        lv2:name \"Events In\" ;\n"
        << "    ] ,\n";
    out << "    [\n        a lv2:OutputPort , atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports patch:Message ;\n        rsz:minimumSize " << kNotifyBytes << " ;\n"
        << "        lv2:index " << kPortNotify << " ;\n        lv2:symbol \"" << kFixedPortSymbols[kPortNotify]
        << "\" ;\n        lv2:name \"Notify\" ;\n    ] ,\n";
    for (std::uint32_t port : {kPortAudioLeft, kPortAudioRight})
        out << "    [\n        a lv2:OutputPort , lv2:AudioPort ;\n        lv2:index " << port
            << " ;\n        lv2:symbol \"" << kFixedPortSymbols[port] << "\" ;\n        lv2:name \""
            << (port == kPortAudioLeft ? "Left" : "Right") << "\" ;\n    ] ,\n";
    for (std::uint32_t row = 0; row < kControlPortCount; ++row) {
        controlPort(out, row, initial);
        out << " ,\n";
    }
    out << "    [\n        a lv2:OutputPort , lv2:ControlPort ;\n        lv2:index " << kPortLatency
        << " ;\n        lv2:symbol \"" << kLatencySymbol << "\" ;\n        lv2:name \"Latency\" ;\n"
        << "        lv2:designation lv2:latency ;\n        lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
        << "        lv2:minimum 0 ;\n        lv2:maximum 1024 ;\n    ] .\n";
    stateKeys(out);
    return out.str();
}

// Each preset carries its program's port values and, as state, its
// controller assignments, so loading it sounds as selecting the program does.
std::string presets() {
    std::ostringstream out;
    out << kPrefixes;
    for (int index = 0; index < kProgramCount; ++index) {
        Program program{};
        writeFactoryProgram(index, program);
        out << '<' << presetUri(index) << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << kPluginUri << "> ;\n"
            << "    rdfs:label " << quoted(program.name) << " ;\n    lv2:port\n";
        for (std::uint32_t row = 0; row < kControlPortCount; ++row)
            out << "        [ lv2:symbol \"" << kControlPorts[row].symbol << "\" ; pset:value "
                << decimal(programPortValue(program, kControlPorts[row].param)) << " ]"
                << (row + 1 < kControlPortCount ? " ,\n" : " ;\n");
        out << "    state:state [\n";
        for (std::uint32_t row = 0; row < kControlPortCount; ++row) {
            const int assignment = assignmentOf(kControlPorts[row].param);
            if (assignment < 0) continue;
            out << "        <" << assignmentKeyUri(row) << "> \"" << decimal(program.values[paramInfo(assignment).slot])
                << "\"^^xsd:float ;\n";
        }
        out << "    ] .\n\n";
    }
    return out.str();
}

// Every value a port will hold must lie in its declared range.
bool checkRanges() {
    for (int index = 0; index < kProgramCount; ++index) {
        Program program{};
        writeFactoryProgram(index, program);
        for (const ControlPort& port : kControlPorts) {
            const float value = programPortValue(program, port.param);
            float clamped = 0.0f;
            if (!portValueInRange(port.param, value, clamped) || clamped != value) {
                std::cerr << "velora-lv2-bundle: program " << index << ": " << port.symbol << " = " << value
                          << " lies outside its port's range\n";
                return false;
            }
        }
    }
    return true;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (file) return true;
    std::cerr << "velora-lv2-bundle: cannot write " << path << '\n';
    return false;
}

}  // namespace
}  // namespace velora::lv2

int main(int argc, char** argv) {
    using namespace velora::lv2;
    if (argc != 5) {
        std::cerr << "usage: velora-lv2-bundle OUT_DIR UI_MANIFEST_TTL VERSION_MINOR VERSION_MICRO\n";
        return 2;
    }
    std::ifstream uiFile(argv[2], std::ios::binary);
    std::ostringstream uiEntry;
    uiEntry << uiFile.rdbuf();
    if (!uiFile) {
        std::cerr << "velora-lv2-bundle: cannot read " << argv[2] << '\n';
        return 1;
    }
    if (!checkRanges()) return 1;
    const std::string dir = argv[1];
    const bool written = writeFile(dir + "/manifest.ttl", manifest(uiEntry.str())) &&
                         writeFile(dir + "/velora.ttl", pluginDescription(std::atoi(argv[3]), std::atoi(argv[4]))) &&
                         writeFile(dir + "/presets.ttl", presets());
    return written ? 0 : 1;
}
