// Shell settings file "TARNcall.dfa" as the shell reads it at start: the plain
// ReadShellSettingsFile; the main window made as at program start (FormCreate
// shows the entries and keeps the main path of the long defaults file they
// name, made from the template when missing); "Show dataselection" on those
// entries (both defaults files read, the scans of the mask listed); the
// entries written back, which must leave lines 0 to 4 holding the entries and
// every later line as it was.
#include <QPushButton>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_gui_support.h"
#include "gui-common/line_list.h"
#include "shell/main_window.h"
#include "shell/shell_settings.h"

namespace {

using namespace tarn;
using namespace tarn::tarncall;

// The example day's templates, its instrument file and three empty scans.
void WriteWorkingDirectory() {
    fuzz::WriteWorkFile("tarn_e.dfa", fuzz::ExampleText("tarn_exa.dfa"));
    fuzz::WriteWorkFile("tarn_exa.dfa", fuzz::ExampleText("tarn_exa.dfa"));
    fuzz::WriteWorkFile("efuv.dfa", fuzz::ExampleText("uvanalys/efuv.dfa"));
    fuzz::WriteWorkFile("uvanalys/exa.dfa", fuzz::ExampleText("uvanalys/exa.dfa"));
    for (const char* scan : {"1730500.exa", "1731230.EXA", "1741800.exa"})
        fuzz::WriteWorkFile(std::string("uvdata/exa/") + scan, "");
}

// The entries as lines 0 to 4 read back: a line list drops the carriage
// returns at a line's end (an entry cut to its first characters may end in one).
std::vector<std::string> EntryLines(const ShellSettings& entries) {
    std::vector<std::string> lines;
    for (auto member : kShellSettingsLayout) {
        std::string line = entries.*member;
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Writes the form's entries back and checks the file: the entries, then every
// line after line 4 that the file held before.
void CheckWriteBack(TForm1& form) {
    gui::LineList before;
    if (!fuzz::RunGuiReader([&] { before.Load(kShellSettingsFileName); })) return;
    const ShellSettings entries = form.Entries();
    if (!fuzz::RunGuiReader([&] { WriteShellSettingsFile(entries); })) return;
    gui::LineList after;
    after.Load(kShellSettingsFileName);
    fuzz::CheckHeadAndKeptLines(EntryLines(entries), before.Lines(), after.Lines(),
                                "TARNcall.dfa written back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::StartGuiInput(size)) return 0;
    WriteWorkingDirectory();
    fuzz::WriteWorkFile(kShellSettingsFileName, fuzz::ConfinedInput(data, size));
    ShellSettings plain;
    std::string outputSpec;
    fuzz::RunGuiReader([&] { ReadShellSettingsFile(plain, outputSpec); });
    {
        TForm1 form;  // FormCreate
        form.btnDataselect->click();  // the handler runs in its guard
        CheckWriteBack(form);
    }
    fuzz::CheckReports();
    return 0;
}
