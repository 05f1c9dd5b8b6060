// Batch files as tarnbat reads them: RunBatchFile on "tarn_bat.bat" up to the
// point where a line would run.  Its runner runs nothing: it takes the line's
// kind; for a pkzip line it parses the arguments (a refusal stops the batch as
// in the program), names the archive and lists the files of the mask; for a
// pkunzip line it parses the arguments and names the archive; for a del line
// it lists the files each mask matches.  Masks that would leave the
// work directory are not listed.  Nothing is deleted, copied, packed or
// started.
#include <filesystem>

#include "fuzz/fuzz_support.h"
#include "platform/file_mask.h"
#include "tarnbat/batch_run.h"
#include "tarnbat/file_commands.h"
#include "tarnbat/zip_archive.h"
#include "tarnbat/zip_restore.h"

namespace {

using namespace tarn;

// Lists the files of `mask` when it stays below the work directory.
void ListInside(const std::string& mask) {
    if (mask.empty() || mask[0] == '/' || mask.find("..") != std::string::npos) return;
    std::string directory, pattern;
    SplitMask(mask, directory, pattern);
    ListFilesByMask(directory, pattern, kBatchNameCase);
}

void ReadOnlyLine(const std::vector<std::string>& args) {
    switch (KindOfBatchLine(args)) {
        case BatchLineKind::Delete:
            for (size_t i = 1; i < args.size(); ++i) ListInside(args[i]);
            break;
        case BatchLineKind::Pack: {
            const PackRequest request =
                ParsePackArguments(std::vector<std::string>(args.begin() + 1, args.end()));
            ArchiveFileName(request.Archive);
            ListInside(request.Files);
            break;
        }
        case BatchLineKind::Unpack: {
            const UnpackRequest request =
                ParseUnpackArguments(std::vector<std::string>(args.begin() + 1, args.end()));
            ArchiveFileName(request.Archive);
            break;
        }
        case BatchLineKind::Copy:
        case BatchLineKind::Program:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshWorkDir();
    const std::string dir = fuzz::WorkDir() + "/";
    std::filesystem::create_directories(dir + "uvanalys/exa/shift");
    for (const char* name :
         {"uvanalys/exa/1730500I.exa", "uvanalys/exa/shift/1730500W.exa", "uvanalys/exa/173QC.EXA",
          "CHECK.OK", "uvanalys/exa/a.b.c.d.e.f.g.h.i.j.k.l.m.n.o.p.q.r.s.t.u.v.w.x.y.z"})
        fuzz::WriteText(dir + name, "");
    fuzz::WriteText(dir + "tarn_bat.bat", fuzz::InputText(data, size));
    fuzz::RunReader([] { (void)RunBatchFile("tarn_bat.bat", ReadOnlyLine); });
    return 0;
}
