// velora-bank-report: plays every factory program through the test phrases
// and prints one line of measures per program, with the bounds it misses.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "bank_report.h"

int main(int argc, char** argv) {
    CLI::App app{"velora-bank-report: measure the factory programs through the plug-in file"};
    app.allow_windows_style_options(false);
    std::string pluginPath;
    std::vector<int> programs;
    double rate = 44100.0;
    velora::sound::ReportSettings settings;
    app.add_option("--plugin", pluginPath, "Plug-in file")->required();
    app.add_option("--program", programs, "Program numbers 1..64 to report (default: all)")->check(CLI::Range(1, 64));
    app.add_option("--rate", rate, "Sample rate in Hz")->check(CLI::Range(8000.0, 384000.0));
    app.add_option("--velocity", settings.velocity, "Velocity of every note")->check(CLI::Range(1, 127));
    int spectrumKey = -1;
    app.add_option("--spectrum", spectrumKey, "Instead of the report, list the loudest peaks of this held key")
        ->check(CLI::Range(0, 127));
    CLI11_PARSE(app, argc, argv);

    velora::sound::Player player(pluginPath, rate);
    if (!player.loaded()) {
        std::fprintf(stderr, "velora-bank-report: %s\n", player.error().c_str());
        return 1;
    }
    if (programs.empty())
        for (int p = 1; p <= 64; ++p) programs.push_back(p);
    if (spectrumKey >= 0) {
        for (int number : programs)
            std::printf("%d\n%s", number,
                        velora::sound::describeSpectrum(player, number - 1, spectrumKey, settings.velocity).c_str());
        return 0;
    }
    std::printf("%s\n", velora::sound::reportHeader().c_str());
    for (int number : programs) {
        std::printf("%s\n", velora::sound::reportLine(velora::sound::measureProgram(player, number - 1, settings)).c_str());
        std::fflush(stdout);
    }
    return 0;
}
