#include "engine/output_spec.h"

#include "engine/engine_state.h"
#include "engine/formats/output_spec_layout.h"
#include "engine/formats/settings_text.h"
#include "engine/program_state.h"
#include "platform/text_file.h"

namespace tarn {

namespace {

void ReadSwitches(TextIn& in, const OutputSwitchGroup& group, OutputSwitches& s) {
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
    for (int g = 0; g < kRequiredOutputGroups; ++g) {
        if (g == kLoggedOutputGroup) {
            LogLine("Specify_output readin " + in.ReadLine());
        } else {
            in.NextLine();
        }
        ReadSwitches(in, kOutputSwitchGroups[g], s);
    }

    // Optional groups, read while the file has more lines.
    auto ended = [&] { return in.Eof(); };
    if (ended()) {
        s.Transmission = true;
    } else {
        in.NextLine();
        ReadSwitches(in, kOutputSwitchGroups[kRequiredOutputGroups], s);
    }
    if (!ended()) {
        in.NextLine();
        for (bool& classFile : Qc.ClassFileSwitches) classFile = IsSwitchOn(in.ReadLine());
    }
    in.Close();
}

}  // namespace tarn
