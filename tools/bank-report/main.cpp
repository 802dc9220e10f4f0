// SPDX-License-Identifier: MIT
// velora-bank-report: plays every factory program through the test phrases
// and prints one line of measures per program, with the bounds it misses.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bank_report.h"
#include "rate_comparison.h"

namespace {

using velora::sound::Player;

// "INDEX=VALUE" into a parameter override; false when it is not one.
bool parseOverride(const std::string& text, std::pair<int, float>& out) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return false;
    try {
        out = {std::stoi(text.substr(0, equals)), std::stof(text.substr(equals + 1))};
    } catch (...) {
        return false;
    }
    return out.first >= 0 && out.first < 109;
}

std::unique_ptr<Player> makePlayer(const std::string& path, double rate,
                                   const std::vector<std::pair<int, float>>& set) {
    auto player = std::make_unique<Player>(path, rate);
    if (!player->loaded()) {
        std::fprintf(stderr, "velora-bank-report: %s\n", player->error().c_str());
        return nullptr;
    }
    player->setOverrides(set);
    return player;
}

int compareRates(const std::string& path, const std::vector<int>& programs, const std::vector<double>& rates,
                 const std::vector<std::pair<int, float>>& set, int velocity) {
    auto reference = makePlayer(path, 44100.0, set);
    std::vector<std::unique_ptr<Player>> players;
    for (double rate : rates) players.push_back(makePlayer(path, rate, set));
    if (!reference) return 1;
    for (auto& p : players)
        if (!p) return 1;
    std::printf("%s\n", velora::sound::rateTableHeader(rates).c_str());
    std::vector<std::vector<velora::sound::RateDifference>> all;
    for (int number : programs) {
        const auto base = velora::sound::measureRateFigures(*reference, number - 1, velocity);
        std::vector<velora::sound::RateDifference> row;
        for (auto& p : players)
            row.push_back(
                velora::sound::rateDifference(base, velora::sound::measureRateFigures(*p, number - 1, velocity)));
        std::printf("%s\n",
                    velora::sound::rateTableLine(number, reference->programName(number - 1), base, row).c_str());
        std::fflush(stdout);
        all.push_back(row);
    }
    std::printf("%s", velora::sound::rateSummary(rates, all).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"velora-bank-report: measure the factory programs through the plug-in file"};
    app.allow_windows_style_options(false);
    std::string pluginPath;
    std::vector<int> programs;
    double rate = 44100.0;
    velora::sound::ReportSettings settings;
    std::vector<std::string> setTexts;
    std::vector<double> compared;
    app.add_option("--plugin", pluginPath, "Plug-in file")->required();
    app.add_option("--program", programs, "Program numbers 1..64 to report (default: all)")->check(CLI::Range(1, 64));
    app.add_option("--rate", rate, "Sample rate in Hz")->check(CLI::Range(8000.0, 384000.0));
    app.add_option("--velocity", settings.velocity, "Velocity of every note")->check(CLI::Range(1, 127));
    app.add_option("--set", setTexts, "INDEX=VALUE: a parameter set after every program selection (repeatable)");
    app.add_option("--compare-rates", compared,
                   "Instead of the report, compare loudness and centroid at these rates with 44.1 kHz")
        ->check(CLI::Range(8000.0, 384000.0));
    int spectrumKey = -1;
    app.add_option("--spectrum", spectrumKey, "Instead of the report, list the loudest peaks of this held key")
        ->check(CLI::Range(0, 127));
    CLI11_PARSE(app, argc, argv);

    std::vector<std::pair<int, float>> set;
    for (const std::string& text : setTexts) {
        std::pair<int, float> o;
        if (!parseOverride(text, o)) {
            std::fprintf(stderr, "velora-bank-report: --set %s: expected INDEX=VALUE with INDEX 0..108\n",
                         text.c_str());
            return 2;
        }
        set.push_back(o);
    }
    if (programs.empty())
        for (int p = 1; p <= 64; ++p) programs.push_back(p);
    if (!compared.empty()) return compareRates(pluginPath, programs, compared, set, settings.velocity);

    auto player = makePlayer(pluginPath, rate, set);
    if (!player) return 1;
    if (spectrumKey >= 0) {
        for (int number : programs)
            std::printf("%d\n%s", number,
                        velora::sound::describeSpectrum(*player, number - 1, spectrumKey, settings.velocity).c_str());
        return 0;
    }
    auto at44 = makePlayer(pluginPath, 44100.0, set), at48 = makePlayer(pluginPath, 48000.0, set),
         at96 = makePlayer(pluginPath, 96000.0, set);
    if (!at44 || !at48 || !at96) return 1;
    std::printf("%s\n", velora::sound::reportHeader().c_str());
    std::vector<velora::sound::ProgramReport> reports;
    for (int number : programs) {
        velora::sound::ProgramReport report = velora::sound::measureProgram(*player, number - 1, settings);
        velora::sound::addRateColumns(report, *at44, *at48, *at96, settings.velocity);
        std::printf("%s\n", velora::sound::reportLine(report).c_str());
        std::fflush(stdout);
        reports.push_back(std::move(report));
    }
    std::printf("%s\n", velora::sound::brightSummary(reports).c_str());
    return 0;
}
