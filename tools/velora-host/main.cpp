// SPDX-License-Identifier: MIT
// velora-host: renders MIDI files through the Velora plug-in, lists its
// identity, parameters and programs, and shows its editor.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <new>

#include "interruption.h"

#include "edit_command.h"
#include "host_options.h"
#include "listing_commands.h"
#include "preset_commands.h"
#include "render_command.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#ifndef VELORA_VERSION
#define VELORA_VERSION "unknown"
#endif

namespace {

using velora::host::EditOptions;
using velora::host::GlobalOptions;
using velora::host::RenderOptions;

void addGlobalOptions(CLI::App& app, GlobalOptions& global) {
    app.add_option("--plugin", global.pluginPath,
                   "Plug-in file (default: velora.so / velora.dll / velora64.dll next to this program)");
    app.add_option("--time-info", global.timeInfo, "Answer to the plug-in's \"sendVstTimeInfo\" question")
        ->check(CLI::IsMember({"yes", "no", "unknown"}));
    app.add_option("--tempo", global.tempo, "Tempo in BPM reported while no MIDI file sets one")
        ->check(CLI::Range(1.0, 1000.0));
    app.add_option("--x87-precision", global.x87Precision,
                   "x87 precision control (53 or 64 bits) left for the plug-in, as some hosts do")
        ->check(CLI::IsMember({53, 64}));
}

CLI::App* addRenderCommand(CLI::App& app, RenderOptions& render) {
    CLI::App* command = app.add_subcommand("render", "Render a MIDI file through the plug-in into a WAV file");
    command->add_option("IN.mid", render.midiPath, "Standard MIDI File to render")->required();
    command->add_option("OUT.wav", render.wavPath, "WAV file to write");
    command->add_option("--program", render.program, "Program number 0..63 or name");
    command->add_option("--set", render.settings, "Parameter override INDEX=VALUE, after the program")
        ->take_all()
        ->allow_extra_args(false);
    command->add_option("--rate", render.sampleRate, "Sample rate in Hz")->check(CLI::Range(1u, 1000000u));
    command->add_option("--block", render.blockSize, "Block size in samples")->check(CLI::Range(1, 65536));
    command
        ->add_option("--tail", render.tailSeconds,
                     "Seconds rendered after the last event (default: until 0.5 s below -90 dBFS, at most 30 s)")
        ->check(CLI::Range(0.0, 3600.0));
    command->add_option("--format", render.format, "Sample format: 16, 24 or float")
        ->check(CLI::IsMember({"16", "24", "float"}));
    command->add_option("--all-programs", render.allProgramsDir, "Render once per program into this folder");
    command->add_option("--preset", render.presetPath, "Program file (.fxp) loaded into the program before rendering");
    command->add_option("--bank", render.bankPath, "Bank file (.fxb) loaded over the bank; --program picks from it");
    return command;
}

CLI::App* addEditCommands(CLI::App& app, EditOptions& edit, std::string& pngPath, CLI::App*& screenshot) {
    CLI::App* command = app.add_subcommand("edit", "Open the editor in a window; print the parameters that changed");
    command->add_option("--program", edit.program, "Program number 0..63 or name");
    command->add_option("--seconds", edit.seconds, "Close the window after this many seconds")
        ->check(CLI::Range(0.0, 1.0e6));
    command
        ->add_option("--scale", edit.scale, "Ask for the editor at this size: 1, 1.5 or 2 (the hosts' scale message)")
        ->check(CLI::Range(0.5, 4.0));
    screenshot = app.add_subcommand("screenshot", "Open the editor in a window and write its picture as PNG");
    screenshot->add_option("OUT.png", pngPath, "PNG file to write")->required();
    screenshot->add_option("--program", edit.program, "Program number 0..63 or name");
    screenshot->add_option("--scale", edit.scale, "Ask for the editor at this size: 1, 1.5 or 2")
        ->check(CLI::Range(0.5, 4.0));
    screenshot->add_option("--seconds", edit.seconds, "Longest wait for the editor's first paint (default 10)")
        ->check(CLI::Range(0.0, 1.0e6));
    return command;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Lines end in "\n" on every platform, so listings compare byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    CLI::App app{
        "velora-host: render MIDI files through the Velora plug-in, list its parameters and programs, show its editor"};
    app.set_version_flag("--version", std::string("velora-host ") + VELORA_VERSION);
    app.require_subcommand(1);
    app.fallthrough();
    // "/tmp/x.wav" is a path, not a Windows-style option, on every platform.
    app.allow_windows_style_options(false);
    GlobalOptions global;
    RenderOptions render;
    addGlobalOptions(app, global);
    CLI::App* info = app.add_subcommand("info", "Identity, flags, channels and capabilities of the plug-in");
    CLI::App* params = app.add_subcommand("params", "Every parameter: index, name, label, value, display");
    CLI::App* programs = app.add_subcommand("programs", "Every program name");
    CLI::App* renderCommand = addRenderCommand(app, render);
    std::string exportProgram, exportPath;
    CLI::App* exportProgramCommand =
        app.add_subcommand("export-program", "Write one factory program into an .fxp file");
    exportProgramCommand->add_option("PROGRAM", exportProgram, "Program number 0..63 or name")->required();
    exportProgramCommand->add_option("FILE.fxp", exportPath, "Preset file to write")->required();
    EditOptions edit;
    std::string pngPath;
    CLI::App* screenshotCommand = nullptr;
    CLI::App* editCommand = addEditCommands(app, edit, pngPath, screenshotCommand);
    CLI::App* exportBankCommand = app.add_subcommand("export-bank", "Write the factory bank into an .fxb file");
    exportBankCommand->add_option("FILE.fxb", exportPath, "Bank file to write")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
        std::fprintf(stderr, "velora-host: error: %s (see --help)\n", e.what());
        return 2;
    }
    velora::tools::installInterruptHandling();
    int result = 2;
    try {
        if (info->parsed()) result = velora::host::runInfo(global);
        if (params->parsed()) result = velora::host::runParams(global);
        if (programs->parsed()) result = velora::host::runPrograms(global);
        if (renderCommand->parsed()) result = velora::host::runRender(global, render);
        if (exportProgramCommand->parsed()) result = velora::host::runExportProgram(global, exportProgram, exportPath);
        if (exportBankCommand->parsed()) result = velora::host::runExportBank(global, exportPath);
        if (editCommand->parsed()) result = velora::host::runEdit(global, edit);
        if (screenshotCommand->parsed()) result = velora::host::runScreenshot(global, edit, pngPath);
    } catch (const std::bad_alloc&) {
        result = velora::host::reportError("out of memory");
    } catch (const std::exception&) {
        // Every expected failure is reported where it happens, with its file
        // and reason; this is a fault of ours, not a message for the user.
        result = velora::host::reportError("internal error; please report the command that caused it");
    }
    return velora::tools::interruptRequested() ? velora::tools::interruptExitCode() : result;
}
