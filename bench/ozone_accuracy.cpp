// Accuracy of the indicative ozone: the engine runs, as "tarnpelo <scan> exa
// tarn_exa.dfa S I W" does, over synthetic clear-sky scans of known ozone,
// made as the example day's (tools/scan_synthesis.h: the engine's own model,
// shift and noise), at solar zenith angles of 20 to 85 degrees, and the
// fitted amount is compared with the true one.  Prints one row per zenith
// angle: the angle (degrees) and per true amount the fitted DU and the error
// (fitted - true, DU and per cent); then how many fits stopped at the
// iteration limit of Brent's method.
//
//   ozone_accuracy [--noise-free]
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/formats/constants.h"
#include "engine/formats/defaults_layout.h"
#include "engine/main_flow.h"
#include "engine/program_state.h"
#include "engine/solar_position.h"
#include "platform/console.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "tools/scan_synthesis.h"

namespace {

using namespace tarn;
namespace fs = std::filesystem;

const std::string kExample = std::string(TARN_SOURCE_DIR) + "/examples/day";

// The example day's date and longitude, at a latitude whose noon sun stands
// higher than 20 degrees from the zenith (the example's 48 N reaches 24.7).
constexpr int kDay = 173;  // 22 June
constexpr uint16_t kMonth = 6, kDayOfMonth = 22;
constexpr double kLatitude = 40.0;   // degrees north
constexpr double kLongitude = 11.0;  // degrees east
constexpr uint64_t kSeed = 20240521;

const double kZenithAngles[] = {20, 30, 40, 50, 60, 70, 75, 80, 85};  // degrees, aimed at
const double kTrueDu[] = {250, 300, 350, 450};

// The scan name DDDhhmm of the morning minute (UT) whose solar zenith angle
// at the site comes nearest `target` (degrees).
std::string ScanNameFor(double target, uint16_t year) {
    int best = 0;
    double bestDistance = 1e9;
    for (int minute = 0; minute < 12 * 60; ++minute) {
        const SolarPosition sun = CheckDateAndSolarPosition(
            {year, kMonth, kDayOfMonth, static_cast<uint16_t>(minute / 60),
             static_cast<uint16_t>(minute % 60), 0},
            kLongitude, kLatitude);
        const double zenith = sun.ZenithAngle;
        if (sun.ErrorCode == 0 && std::fabs(zenith - target) < bestDistance) {
            bestDistance = std::fabs(zenith - target);
            best = minute;
        }
    }
    char name[16];
    std::snprintf(name, sizeof name, "%03d%02d%02d", kDay, best / 60, best % 60);
    return name;
}

// Moves the site of the long defaults file `path` to kLatitude, through the
// engine's own reader and writer; returns the file's year.
std::string MoveSite(const std::string& path) {
    DefaultsSettings settings = BuiltInDefaults();
    std::vector<DefaultsNote> notes;
    TextIn in;
    in.OpenOrThrow(path);
    ReadLongDefaultsText(in, settings, notes);
    in.Close();
    settings.Analysis.Latitude = kLatitude;
    CreateWithLines(path, LongDefaultsLines(settings));
    return settings.Analysis.MeasurementYear;
}

struct Result {
    double Zenith;        // degrees, as the engine computed it
    double Du;            // fitted
    bool IterationLimit;  // the fit stopped at Brent's iteration limit
};

// Every zenith angle for one true amount, in a fresh copy of the example day
// under `scratch`: the scans first, then the engine over each of them.
// The scans carry the example's noise from `random`, none when it is null.
std::vector<Result> MeasureAmount(const std::string& scratch, double trueDu,
                                  synth::RandomStream* random) {
    std::ostringstream console;
    SetConsole(&console);
    const std::string day = scratch + "day" + IntText(static_cast<long long>(trueDu)) + "/";
    fs::copy(kExample, day, fs::copy_options::recursive);
    const std::string year = MoveSite(day + "tarn_exa.dfa");
    long yearNumber = 0;
    ParseIntTrimmed(year, yearNumber);

    synth::ModelRun run;
    run.Directory = scratch + "model/";
    fs::create_directories(run.Directory);
    run.RefDataPath = day + "uvanalys/etoz/";
    run.Year = year;
    synth::StartModelRuns(run, kLatitude, kLongitude, day + "uvanalys/exa.sli");
    const synth::ScanPlan clear = {"", 1.0, {0, 0}, {0, 0}};
    std::vector<std::string> names;
    for (double target : kZenithAngles) {
        std::string name = ScanNameFor(target, static_cast<uint16_t>(yearNumber));
        synth::RunModel(run, name, trueDu / kDobsonUnitsPerAmount);
        CreateWithLines(day + "uvdata/exa/" + name + ".exa",
                        synth::ScanLines(clear, EarthSunDistanceFactor(kDay), random));
        names.push_back(name);
    }

    std::vector<Result> results;
    const std::string here = fs::current_path().string();
    fs::current_path(day);
    for (const std::string& name : names) {
        console.str(std::string());
        if (RunTarnpelo({name, "exa", "tarn_exa.dfa", "S", "I", "W"}) != kExitNormal)
            throw std::runtime_error("the engine did not end normally on " + name);
        results.push_back({Scan.SolarZenithAngle, Flow.GivenOzone * kDobsonUnitsPerAmount,
                           console.str().find(" Too many iterations") != std::string::npos});
    }
    fs::current_path(here);
    SetConsole(nullptr);
    return results;
}

int Measure(bool noisy) {
    const std::string scratch = synth::MakeScratchDirectory("ozone_accuracy");
    synth::RandomStream random(kSeed);
    std::vector<std::vector<Result>> columns;
    for (double du : kTrueDu)
        columns.push_back(MeasureAmount(scratch, du, noisy ? &random : nullptr));
    fs::remove_all(scratch);

    // Columns of 21 characters per true amount after the angle's 5.
    std::string top = "  SZA", middle = "  deg";
    for (double du : kTrueDu) {
        top += "     true " + Fixed(du, 3, 0) + " DU     ";
        middle += "  fitted  error     %";
    }
    std::cout << (noisy ? "with the example's noise\n" : "without noise\n");
    std::cout << top.substr(0, top.find_last_not_of(' ') + 1) << "\n" << middle << "\n";
    for (size_t row = 0; row < std::size(kZenithAngles); ++row) {
        std::cout << Fixed(columns[0][row].Zenith, 5, 1);
        for (size_t c = 0; c < columns.size(); ++c) {
            const double fitted = columns[c][row].Du, error = fitted - kTrueDu[c];
            std::cout << "  " << Fixed(fitted, 6, 1) << " " << Fixed(error, 6, 1) << " "
                      << Fixed(100.0 * error / kTrueDu[c], 5, 1);
        }
        std::cout << "\n";
    }
    int limited = 0, fits = 0;
    for (const std::vector<Result>& column : columns) {
        for (const Result& result : column) {
            limited += result.IterationLimit ? 1 : 0;
            ++fits;
        }
    }
    std::cout << "fits stopped at the iteration limit: " << limited << " of " << fits << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool noiseFree = argc == 2 && std::string(argv[1]) == "--noise-free";
    if (argc > 2 || (argc == 2 && !noiseFree)) {
        std::cerr << "usage: ozone_accuracy [--noise-free]\n";
        return 2;
    }
    try {
        return Measure(!noiseFree);
    } catch (const std::exception& error) {
        std::cerr << "ozone_accuracy: " << error.what() << "\n";
        return 2;
    } catch (const EngineExit&) {
        std::cerr << "ozone_accuracy: the engine halted\n";
        return 2;
    }
}
