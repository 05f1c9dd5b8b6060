// The output specification file "output.dfa": the output switches and the
// layout of the file, line 0 the name of the file that holds the switches,
// then groups of a label line and one "true" or "false" line per switch.  The
// engine's reader (engine/output_spec.h) and the operator shell's writer take
// the groups from here.  Pure: no module state, console or log.
#pragma once

#include <string>
#include <vector>

namespace tarn {

// The switches of the output specification file, in storage order.
struct OutputSwitches {
    bool Effective_UV;
    bool Interval_UV;
    bool Transmission;
    bool Stand_slit;
    bool Instrument_slit;
    bool Detailed_shif;
    bool Corr_waveln;
    bool Daily_shif;
    bool Q_flag;
    bool Spec_struc;
    bool Trans_Q;
    bool Details_on_corrections;
    bool Main_spikes_only;
    bool Log_main_tarn;
    bool Log_shift;
};

// One group of the file: its label line and the switches of the lines after it.
struct OutputSwitchGroup {
    const char* Label;
    int Count;
    bool OutputSwitches::*Switches[3];
};

// Groups 1 to 6 are read from every file; group 7 (transmission) only while
// the file has more lines.  The label line of group 6 goes to the main log.
constexpr int kRequiredOutputGroups = 6;
constexpr int kLoggedOutputGroup = 5;  // 0-based
extern const OutputSwitchGroup kOutputSwitchGroups[kRequiredOutputGroups + 1];

// The file as the operator shell writes it: `firstLine` (the main path and
// the file's own name, or the name of the file that holds the switches),
// then seven groups of a label line and "true" or "false" per switch; 23
// lines, without the class-file group.
std::vector<std::string> OutputSpecLines(const std::string& firstLine,
                                         const OutputSwitches& switches);

}  // namespace tarn
