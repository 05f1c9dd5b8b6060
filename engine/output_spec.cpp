#include "engine/output_spec.h"

#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "engine/settings_text.h"
#include "platform/text_file.h"

namespace tarn {

namespace {

// One group of the file: its label line and the switches of the lines after it.
struct SwitchGroup {
    const char* Label;
    int Count;
    bool OutputSwitches::*Switches[3];
};

using S = OutputSwitches;
constexpr int kRequiredGroups = 6;  // groups 1-6; group 7 is optional
const SwitchGroup kGroups[kRequiredGroups + 1] = {
    {"Integrated_UV_output: Effective_UV Interval_UV", 2, {&S::Effective_UV, &S::Interval_UV}},
    {"Irradiance_standardised: Stand_slit Instrument_slit",
     2,
     {&S::Stand_slit, &S::Instrument_slit}},
    {"Wavelength_shifts: detailed_shif corr_waveln daily_shif",
     3,
     {&S::detailed_shif, &S::corr_waveln, &S::daily_shif}},
    {"Quality_checks: Q_flag spec_struc trans_Q", 3, {&S::Q_flag, &S::spec_struc, &S::trans_Q}},
    {"Logging_TARN: Log_main_tarn Log_shift", 2, {&S::Log_main_tarn, &S::Log_shift}},
    {"Spike_detection: Details_on_corrections Main_spikes_only",
     2,
     {&S::Details_on_corrections, &S::Main_spikes_only}},
    {"Transmission_compared_to_ET-spectrum: transmission", 1, {&S::transmission}}};
constexpr int kLoggedGroup = 5;  // its label line goes to the main log

void ReadSwitches(TextIn& in, const SwitchGroup& group, OutputSwitches& s) {
    for (int i = 0; i < group.Count; ++i) s.*group.Switches[i] = IsSwitchOn(in.ReadLine());
}

}  // namespace

void Specify_output(const std::string& name) {
    LogLine("First line of Specify_output " + name);
    TextIn in;
    in.OpenOrThrow(name);
    std::string source = name;
    std::string first = in.ReadLine();
    if (first != name) {
        // One level of redirection: the named file's own first line is skipped.
        source = first;
        in.OpenOrThrow(source);
        in.NextLine();
    }
    OutputSwitches& s = Engine.Switches;
    // Lines 1 to 20 are read as they come; missing lines read as empty (off).
    for (int g = 0; g < kRequiredGroups; ++g) {
        if (g == kLoggedGroup) {
            LogLine("Specify_output readin " + in.ReadLine());
        } else {
            in.NextLine();
        }
        ReadSwitches(in, kGroups[g], s);
    }

    // Optional groups, read while the file has more lines.
    auto ended = [&] { return in.Eof(); };
    if (ended()) {
        s.transmission = true;
    } else {
        in.NextLine();
        ReadSwitches(in, kGroups[kRequiredGroups], s);
    }
    if (!ended()) {
        in.NextLine();
        for (bool& classFile : Qc.ClassFileSwitches) classFile = IsSwitchOn(in.ReadLine());
    }
    in.Close();
}

std::vector<std::string> OutputSpecLines(const std::string& firstLine,
                                         const OutputSwitches& switches) {
    std::vector<std::string> lines = {firstLine};
    for (const SwitchGroup& group : kGroups) {
        lines.push_back(group.Label);
        for (int i = 0; i < group.Count; ++i)
            lines.push_back(SwitchText(switches.*group.Switches[i]));
    }
    return lines;
}

}  // namespace tarn
