#include "engine/formats/output_spec_layout.h"

#include "engine/formats/settings_text.h"

namespace tarn {

namespace {
using S = OutputSwitches;
}  // namespace

const OutputSwitchGroup kOutputSwitchGroups[kRequiredOutputGroups + 1] = {
    {"Integrated_UV_output: Effective_UV Interval_UV", 2, {&S::Effective_UV, &S::Interval_UV}},
    {"Irradiance_standardised: Stand_slit Instrument_slit",
     2,
     {&S::Stand_slit, &S::Instrument_slit}},
    {"Wavelength_shifts: detailed_shif corr_waveln daily_shif",
     3,
     {&S::Detailed_shif, &S::Corr_waveln, &S::Daily_shif}},
    {"Quality_checks: Q_flag spec_struc trans_Q", 3, {&S::Q_flag, &S::Spec_struc, &S::Trans_Q}},
    {"Logging_TARN: Log_main_tarn Log_shift", 2, {&S::Log_main_tarn, &S::Log_shift}},
    {"Spike_detection: Details_on_corrections Main_spikes_only",
     2,
     {&S::Details_on_corrections, &S::Main_spikes_only}},
    {"Transmission_compared_to_ET-spectrum: transmission", 1, {&S::Transmission}}};

std::vector<std::string> OutputSpecLines(const std::string& firstLine,
                                         const OutputSwitches& switches) {
    std::vector<std::string> lines = {firstLine};
    for (const OutputSwitchGroup& group : kOutputSwitchGroups) {
        lines.push_back(group.Label);
        for (int i = 0; i < group.Count; ++i)
            lines.push_back(SwitchText(switches.*group.Switches[i]));
    }
    return lines;
}

}  // namespace tarn
