// Writes, in the current directory, the files the shell writes before it
// starts a child, through the shell's own functions:
//   shell_texts batch <engine program> <instrument id> <defaults file> <result codes> <scan>...
//       "tarn_bat.bat" for one day's scans, as "Run TARN" writes a one-day
//       run without "ZIP": "del CHECK.RES", then one engine line per scan.
//   shell_texts view <view> <day-and-time mask> <instrument id> <defaults file>
//       "viewer.dfa" with the preset of a viewer view (spikes, transmission,
//       shift1, shift2, shape, transmission2), against the hour, as "View"
//       writes it before starting resplot.
// Exit code 0, or 2 with one line on standard error.
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/batch_file.h"
#include "shell/quality_views.h"
#include "shell/shell_settings.h"

namespace {

using tarn::tarncall::QualityView;

int WriteBatch(const std::vector<std::string>& args) {
    tarn::tarncall::ShellSettings entries;
    entries.Program = args[0];
    entries.InstrumentId = args[1];
    entries.DefaultsFile = args[2];
    entries.ResultCodes = args[3];
    std::vector<std::string> lines = {tarn::tarncall::kDeleteMarkerLine};
    for (size_t i = 4; i < args.size(); ++i)
        lines.push_back(tarn::tarncall::EngineLine(entries, args[i]));
    tarn::tarncall::WriteBatchFile(lines);
    return 0;
}

int WriteView(const std::vector<std::string>& args) {
    static const std::map<std::string, QualityView> views = {
        {"spikes", QualityView::SpectralSpikes},
        {"transmission", QualityView::SpectralTransmission},
        {"shift1", QualityView::DiurnalShift1},
        {"shift2", QualityView::DiurnalShift2},
        {"shape", QualityView::DiurnalShape},
        {"transmission2", QualityView::DiurnalTransmission2}};
    const auto view = views.find(args[0]);
    if (view == views.end()) throw std::invalid_argument("unknown view " + args[0]);
    tarn::tarncall::ViewRequest request;
    request.View = view->second;
    request.DayTime = args[1];
    request.InstrumentId = args[2];
    request.DefaultsFile = args[3];
    request.ResultCodes = "S I W";
    const tarn::tarncall::ViewSources sources = tarn::tarncall::ReadViewSources(args[3]);
    tarn::tarncall::WriteViewerSettings(tarn::tarncall::ViewerPreset(request, sources));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() >= 6 && args[0] == "batch")
            return WriteBatch(std::vector<std::string>(args.begin() + 1, args.end()));
        if (args.size() == 5 && args[0] == "view")
            return WriteView(std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "shell_texts: %s\n", error.what());
        return 2;
    }
    std::fprintf(stderr,
                 "usage: shell_texts batch PROGRAM ID DEFAULTS CODES SCAN...\n"
                 "       shell_texts view VIEW MASK ID DEFAULTS\n");
    return 2;
}
