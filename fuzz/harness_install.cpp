// Install dialogue: the answers on standard input, in the standard mode
// ("-s"), which places the main path under the work directory.  The slit
// source named in an answer may be the prepared file "slit.txt".
#include <filesystem>
#include <sstream>

#include "engine/install.h"
#include "engine/program_state.h"
#include "fuzz/fuzz_support.h"
#include "platform/console.h"

namespace {

const char* const kSlit = "! measured line\n-1.0 0.01\n-0.5 0.5\n0.0 1.0\n0.5 0.5\n1.0 0.01\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tarn;
    if (size > fuzz::kMaxInputSize) return 0;
    fuzz::FreshEngine();
    std::filesystem::create_directory(fuzz::WorkDir() + "/uvanalys");
    fuzz::WriteText(fuzz::WorkDir() + "/slit.txt", kSlit);
    CommandLine.ScanName = "-s-i";
    std::istringstream answers(fuzz::InputText(data, size));
    SetConsoleInput(&answers);
    fuzz::RunReader([] { Install_DFA(); });
    SetConsoleInput(nullptr);
    return 0;
}
