// SPDX-License-Identifier: MIT
// Writes a bundle for the user-interface tests: the real port table over the
// stand-in plug-in, each control port's default taken from one factory
// program, and the user interface's own manifest entry as the bundle
// generator includes it.
//
//   lv2-ui-test-bundle DIR UI_ENTRY.ttl [--program N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "core/numeric.h"
#include "lv2/port_table.h"
#include "programs/factory_bank.h"
#include "programs/program.h"
#include "shell/parameter_table.h"

namespace {

using namespace velora;

const char* kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string controlPort(std::uint32_t index, const lv2::ControlPort& port, const Program& program) {
    const ParamInfo& info = paramInfo(port.param);
    const float value = info.slot >= 0 ? program.values[info.slot] : 0.0f;
    std::ostringstream out;
    out.precision(9);
    out << "    [ a lv2:InputPort , lv2:ControlPort ; lv2:index " << index << " ; lv2:symbol \"" << port.symbol
        << "\" ; lv2:name \"" << info.name << "\" ;\n      ";
    if (port.param == kParamVoiceLimit) {
        const int voices = std::clamp(truncToInt(127.0 * static_cast<double>(value)), 1, 127);
        out << "lv2:default " << voices << " ; lv2:minimum 1 ; lv2:maximum 127 ; lv2:portProperty lv2:integer ]";
    } else {
        out << "lv2:default " << value << " ; lv2:minimum 0.0 ; lv2:maximum 1.0";
        if (info.store == StoreRule::Switch || info.store == StoreRule::TempoSync)
            out << " ; lv2:portProperty lv2:toggled";
        out << " ]";
    }
    return out.str();
}

std::string pluginDescription(const Program& program) {
    std::ostringstream out;
    out << kPrefixes << "<" << lv2::kPluginUri << ">\n"
        << "    a lv2:InstrumentPlugin , lv2:Plugin ;\n"
        << "    doap:name \"Velora (user-interface test stand-in)\" ;\n"
        << "    lv2:binary <lv2_ui_stub_plugin.so> ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    ui:ui <" << lv2::kUiUri << "> ;\n"
        << "    lv2:port\n"
        << "    [ a lv2:InputPort , atom:AtomPort ; atom:bufferType atom:Sequence ; atom:supports midi:MidiEvent ;\n"
        << "      lv2:index 0 ; lv2:symbol \"events_in\" ; lv2:name \"Events\" ] ,\n"
        << "    [ a lv2:OutputPort , atom:AtomPort ; atom:bufferType atom:Sequence ;\n"
        << "      lv2:index 1 ; lv2:symbol \"notify\" ; lv2:name \"Notify\" ] ,\n"
        << "    [ a lv2:OutputPort , lv2:AudioPort ; lv2:index 2 ; lv2:symbol \"out_left\" ; lv2:name \"Left\" ] ,\n"
        << "    [ a lv2:OutputPort , lv2:AudioPort ; lv2:index 3 ; lv2:symbol \"out_right\" ; lv2:name \"Right\" ]";
    for (std::uint32_t row = 0; row < lv2::kControlPortCount; ++row)
        out << " ,\n" << controlPort(lv2::kFirstControlPort + row, lv2::kControlPorts[row], program);
    out << " .\n";
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::string(argv[3]) == "--program")) {
        std::cerr << "usage: lv2-ui-test-bundle DIR UI_ENTRY.ttl [--program N]\n";
        return 2;
    }
    const std::string dir = argv[1];
    Program program;
    initProgram(program);
    writeFactoryProgram(argc == 5 ? std::atoi(argv[4]) : 1, program);

    std::ifstream entry(argv[2]);
    std::stringstream uiEntry;
    uiEntry << entry.rdbuf();
    if (!entry) {
        std::cerr << "cannot read " << argv[2] << "\n";
        return 1;
    }
    std::ofstream manifest(dir + "/manifest.ttl");
    manifest << kPrefixes << "<" << lv2::kPluginUri << "> a lv2:Plugin ; rdfs:seeAlso <velora.ttl> .\n\n"
             << uiEntry.str();
    std::ofstream plugin(dir + "/velora.ttl");
    plugin << pluginDescription(program);
    return manifest && plugin ? 0 : 1;
}
