#include "engine/defaults.h"

#include <algorithm>
#include <vector>

#include "engine/engine_state.h"
#include "engine/formats/constants.h"
#include "engine/formats/defaults_layout.h"
#include "engine/program_state.h"
#include "engine/wavelength_shift.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarn {

namespace {

void SetBuiltInSwitches() {
    OutputSwitches& s = Engine.Switches;
    s.Effective_UV = s.Interval_UV = s.Transmission = s.Stand_slit = s.Instrument_slit = true;
    s.Detailed_shif = s.Corr_waveln = s.Daily_shif = s.Q_flag = s.Spec_struc = true;
    s.Trans_Q = s.Details_on_corrections = s.Main_spikes_only = s.Log_main_tarn = true;
    s.Log_shift = true;
}

// Writes each note to the main log, and those that ask for it to the console.
void ReportNotes(const std::vector<DefaultsNote>& notes) {
    for (const DefaultsNote& note : notes) {
        LogLine(note.Text);
        if (note.OnConsole) ConsoleLine(note.Text);
    }
}

// Reads the defaults file `name` in the short or the long layout over the
// settings in force and takes what it holds; the notes go to the log as far
// as the reading came, also when a number could not be read.
void ReadDefaultsFile(const std::string& name, bool shortLayout) {
    DefaultsSettings settings = CurrentDefaultsSettings();
    std::vector<DefaultsNote> notes;
    TextIn in;
    in.OpenOrThrow(name);
    try {
        if (shortLayout) {
            ReadShortDefaultsText(in, settings, notes);
        } else {
            ReadLongDefaultsText(in, settings, notes);
        }
    } catch (const RunTimeError&) {
        ReportNotes(notes);
        ApplyDefaultsSettings(settings);
        throw;
    }
    in.Close();
    ReportNotes(notes);
    ApplyDefaultsSettings(settings);
}

// Keeps the wavelength settings that the stages walk step by step within the
// fine grid (250 nm up to 40000 grid steps): the model grid, the final
// simulation range and the maximum shift.  Each change is logged.
void BoundWavelengthSettings(const std::string& name) {
    const double low = kReferenceGridStart;
    const double high = kReferenceGridStart + kMaxGridIndex * Analysis.GridStep;
    auto bound = [&](double& value, double lo, double hi, const char* what) {
        if (value >= lo && value <= hi) return;
        double kept = std::clamp(value, lo, hi);
        FileText text = LogText();
        text.Text(name + ": " + what + " ").Fixed(value, 0, 3).Text(" outside ");
        text.Fixed(lo, 0, 3).Text("..").Fixed(hi, 0, 3).Text("; ").Fixed(kept, 0, 3).Text(" used");
        LogLine(text);
        ConsoleLine(text.Str());
        value = kept;
    };
    bound(Analysis.GridLow, low, high, "model grid start");
    bound(Analysis.GridHigh, low, high, "model grid end");
    bound(Analysis.FinalSimStart, low, high, "final simulation start");
    bound(Analysis.FinalSimEnd, low, high, "final simulation end");
    bound(Analysis.MaximumShift, -(high - low), high - low, "maximum shift");
}

}  // namespace

namespace {

// Each field of the record with the engine setting it stands for.
template <class Pair>
void ForEachSetting(DefaultsSettings& s, Pair pair) {
    pair(s.Paths, Paths);
    pair(s.Analysis, Analysis);
    pair(s.Qc, Qc);
    pair(s.WindowCount, Windows.Count);
    pair(s.WindowLower, Windows.Lower);
    pair(s.WindowUpper, Windows.Upper);
    pair(s.Steps, StepTable.Steps);
    pair(s.SlitRangeFactor, Engine.SlitRangeFactor);
    pair(s.ResultCode, CommandLine.IdSpecout);
}

// Copies `from` into `to`, arrays element by element.
template <class T>
void CopyValue(T& to, const T& from) {
    to = from;
}
template <class T, size_t N>
void CopyValue(T (&to)[N], const T (&from)[N]) {
    std::copy(from, from + N, to);
}

}  // namespace

DefaultsSettings CurrentDefaultsSettings() {
    DefaultsSettings s{};
    ForEachSetting(s, [](auto& field, auto& setting) { CopyValue(field, setting); });
    return s;
}

void ApplyDefaultsSettings(const DefaultsSettings& settings) {
    const bool shortRead = Analysis.ShortDefaultsRead;
    DefaultsSettings s = settings;
    ForEachSetting(s, [](auto& field, auto& setting) { CopyValue(setting, field); });
    Analysis.ShortDefaultsRead = shortRead;
}

void SetInternalDefaults() {
    ApplyDefaultsSettings(BuiltInDefaults());
    SetBuiltInSwitches();
    QcOut.DetectedAboveLevel1 = QcOut.DetectedAboveLevel2 = 0;
    QcOut.CorrectedAboveLevel1 = QcOut.CorrectedAboveLevel2 = 0;
    QcOut.MedianIrradianceAtReference = 0.0;
}

void ReadShortDefaults(const std::string& name) {
    LogLine("Reads short defaults: " + name);
    ReadDefaultsFile(name, true);
}

void ReadLongDefaults() {
    const std::string& name = CommandLine.DefaultsFile;
    if (!TextFileExists(name)) {
        // The built-in values stand in only for a file that is not there.
        std::string why = UnreadableReason(name);
        if (!why.empty()) throw RunTimeError("open for reading", name, 0, why);
        ConsoleLine("Specified Default-file does NOT exist");
        ConsoleLine("Program TARNpelo reads internal defaults");
        LogLines({"Specified defaults for TARNpelo do not exist:", Paths.MainPath + name,
                  "Internal defaults used"});
        SetInternalDefaults();
        return;
    }
    SetInternalDefaults();
    if (name.find(kShortDefaultsName) != std::string::npos) {
        ReadShortDefaults(name);
        Analysis.ShortDefaultsRead = true;
    } else {
        LogLine("Reads LONG defaults: " + name);
        LogLine("Reads LONG defaults: Na de regel naar beeldscherm");
        Analysis.ShortDefaultsRead = false;
        ReadDefaultsFile(name, false);
    }
    Paths.DeconOutputName = Cut(Paths.DeconFileName, 30);
    BoundWavelengthSettings(name);
}

void WriteEffectiveDefaults() {
    Windows.Upper[1] = Windows.Lower[1] + Analysis.WindowWidth;
    CreateWithLines(Paths.MainPath + kEffectiveDefaultsName,
                    LongDefaultsLines(CurrentDefaultsSettings()));
}

}  // namespace tarn
