// The long defaults file and the instrument defaults file as the shell and its
// settings dialog read them.  The input is the long defaults file; a line "@@"
// ends it, and what follows is the instrument file (else the example's).  The
// long file is "tarn_fz.dfa" in the working directory, beside the example's
// template "tarn_e.dfa" and "efuv.dfa"; the instrument file is
// "uvanalys/exa.dfa".
//
// Shell: ReadMainDefaults and ReadInstrumentDefaults, the data-selection
// mask, the view sources and each viewer view's preset, the main path kept at
// start.  Dialog: OpenLongDefaults with "uvanalys/", ReadInstrumentTexts,
// ReadAnalysisTexts, "Undo" of the main tab, then "Apply" of the three tabs
// with the texts the dialog shows.  When that whole round ran through, the
// next two must run through too, and the third must leave both files as the
// second wrote them: showing a value and applying it unchanged never changes
// a file.  (The second round may still change one: a first round that wrote a
// value spread over several lines on one leaves a file shorter than before,
// which the next opening completes from the template.)
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_gui_support.h"
#include "shell/defaults_upkeep.h"
#include "shell/quality_views.h"
#include "shell/settings_files.h"
#include "shell/shell_settings.h"

namespace {

using namespace tarn;
using namespace tarn::tarncall;

constexpr const char kDefaultsFile[] = "tarn_fz.dfa";
constexpr const char kMainPath[] = "uvanalys/";
constexpr const char kInstrumentFile[] = "uvanalys/exa.dfa";
constexpr const char kId[] = "exa";

// The shell's reading at start, at "Show dataselection" and for the views.
void ShellReads() {
    fuzz::RunGuiReader([] {
        const MainDefaults defaults = ReadMainDefaults(kDefaultsFile);
        (void)ReadInstrumentDefaults(InstrumentDefaultsPath(defaults.MainAnalysisPath, kId), kId);
    });
    ShellSettings entries;
    entries.DefaultsFile = kDefaultsFile;
    entries.InstrumentId = kId;
    entries.DayTime = "173*";
    fuzz::RunGuiReader([&] { (void)SelectData(entries); });
    fuzz::RunGuiReader([] {
        const ViewSources sources = ReadViewSources(kDefaultsFile);
        ViewRequest request;
        request.DayTime = "1731230";
        request.InstrumentId = kId;
        request.ResultCodes = "S I W";
        request.DefaultsFile = kDefaultsFile;
        for (QualityView view : {QualityView::SpectralSpikes, QualityView::SpectralTransmission,
                                 QualityView::DiurnalTransmission2, QualityView::DiurnalShift1,
                                 QualityView::DiurnalShift2, QualityView::DiurnalShape}) {
            request.View = view;
            for (bool bySza : {false, true}) {
                request.BySza = bySza;
                ViewerPreset(request, sources);
            }
        }
        AppliedShiftDirectory(request, sources);
    });
    fuzz::RunGuiReader([] { KeepMainPathAtStart(kDefaultsFile); });
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The dialog opened, undone and applied tab by tab; true when every step ran
// through.
bool DialogRound() {
    MainInstrumentTexts main;
    EtQaTexts etqa;
    AnalysisTexts analysis;
    bool whole = fuzz::RunGuiReader([&] {
        main.AnalysisPath = OpenLongDefaults(kDefaultsFile, kMainPath, main, etqa).Path;
        ReadInstrumentTexts(main.AnalysisPath.Bytes, kId, main);
    });
    whole &= fuzz::RunGuiReader([&] { ReadAnalysisTexts(kDefaultsFile, analysis); });
    MainInstrumentTexts undone = main;
    whole &= fuzz::RunGuiReader([&] { ReloadMainInstrumentTexts(kDefaultsFile, kId, undone); });
    whole &= fuzz::RunGuiReader([&] { ApplyMainInstrument(kDefaultsFile, kId, main); });
    whole &= fuzz::RunGuiReader([&] { ApplyAnalysis(kDefaultsFile, analysis); });
    whole &= fuzz::RunGuiReader([&] { ApplyEtQa(kDefaultsFile, etqa); });
    return whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::StartGuiInput(size)) return 0;
    const std::string input = fuzz::ConfinedInput(data, size);
    std::string longFile = input;
    std::string instrument = fuzz::ExampleText("uvanalys/exa.dfa");
    const size_t split = input.find("\n@@\n");
    if (split != std::string::npos) {
        longFile = input.substr(0, split + 1);
        instrument = input.substr(split + 4);
    }
    fuzz::WriteWorkFile("tarn_e.dfa", fuzz::ExampleText("tarn_exa.dfa"));
    fuzz::WriteWorkFile("efuv.dfa", fuzz::ExampleText("uvanalys/efuv.dfa"));
    fuzz::WriteWorkFile(kDefaultsFile, longFile);
    fuzz::WriteWorkFile(kInstrumentFile, instrument);

    ShellReads();
    if (DialogRound()) {
        if (!DialogRound()) Fail("a second round failed where the first ran through");
        const std::vector<std::string> defaults = fuzz::StoredLines(kDefaultsFile);
        const std::vector<std::string> instrumentLines = fuzz::StoredLines(kInstrumentFile);
        if (!DialogRound()) Fail("a third round failed where the first two ran through");
        fuzz::CheckLines(defaults, fuzz::StoredLines(kDefaultsFile), "third round, long file");
        fuzz::CheckLines(instrumentLines, fuzz::StoredLines(kInstrumentFile),
                         "third round, instrument file");
    }
    fuzz::CheckReports();
    return 0;
}
