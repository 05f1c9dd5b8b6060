#include "engine/output_spec.h"

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "platform/text_file.h"

namespace tarn {

namespace {

bool ReadSwitch(TextIn& in) {
    return in.ReadLine().find("true") != std::string::npos;
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
    in.NextLine();
    s.Effective_UV = ReadSwitch(in);
    s.Interval_UV = ReadSwitch(in);
    in.NextLine();
    s.Stand_slit = ReadSwitch(in);
    s.Instrument_slit = ReadSwitch(in);
    in.NextLine();
    s.detailed_shif = ReadSwitch(in);
    s.corr_waveln = ReadSwitch(in);
    s.daily_shif = ReadSwitch(in);
    in.NextLine();
    s.Q_flag = ReadSwitch(in);
    s.spec_struc = ReadSwitch(in);
    s.trans_Q = ReadSwitch(in);
    in.NextLine();
    s.Log_main_tarn = ReadSwitch(in);
    s.Log_shift = ReadSwitch(in);
    LogLine("Specify_output readin " + in.ReadLine());
    s.Details_on_corrections = ReadSwitch(in);
    s.Main_spikes_only = ReadSwitch(in);

    // Optional groups, read while the file has more lines.
    auto ended = [&] { return in.Eof(); };
    if (ended()) {
        s.transmission = true;
    } else {
        in.NextLine();
        s.transmission = ReadSwitch(in);
    }
    if (!ended()) {
        in.NextLine();
        for (bool& classFile : Qc.ClassFileSwitches) classFile = ReadSwitch(in);
    }
    in.Close();
}

}  // namespace tarn
