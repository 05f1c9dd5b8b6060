#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <vector>

#include "engine/defaults.h"
#include "engine/effective_uv.h"
#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "platform/console.h"
#include "platform/run_error.h"

namespace tarn::fuzz {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDepth = "/a/b/c/d/e/w";

struct Directories {
    std::string root;  // the process's own temporary directory
    std::string work;  // root + kDepth
};

void RemoveRoot();

// Never destroyed: the exit handler that removes the root still needs it.
const Directories& Dirs() {
    static const Directories* dirs = [] {
        std::string pattern = (fs::temp_directory_path() / "tarn-fuzz-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        auto* d = new Directories{buffer.data(), std::string(buffer.data()) + kDepth};
        std::atexit(RemoveRoot);
        return d;
    }();
    return *dirs;
}

void RemoveRoot() {
    std::error_code ignored;
    fs::remove_all(Dirs().root, ignored);
}

// A stream whose writes go nowhere.
std::ostream& Discarded() {
    static std::ostream stream(nullptr);
    return stream;
}

}  // namespace

const std::string& WorkDir() {
    return Dirs().work;
}

void FreshWorkDir() {
    const Directories& d = Dirs();
    // Empties every level of the chain root/a/.../w but keeps the chain itself:
    // creating six directories per input would cost more than the reader.
    std::error_code ignored;
    fs::path level = d.root;
    const fs::path work = d.work;
    while (true) {
        fs::path next;
        std::vector<fs::path> surplus;
        for (const fs::directory_entry& entry : fs::directory_iterator(level, ignored)) {
            const std::string& name = entry.path().native();
            bool inChain = work.native().compare(0, name.size() + 1, name + "/") == 0;
            if (inChain && entry.is_directory(ignored)) {
                next = entry.path();
            } else {
                surplus.push_back(entry.path());
            }
        }
        for (const fs::path& path : surplus) fs::remove_all(path, ignored);
        if (level == work || next.empty()) break;
        level = next;
    }
    fs::create_directories(work, ignored);
    if (chdir(d.work.c_str()) != 0) {
        std::perror("chdir");
        std::abort();
    }
    SetConsole(&Discarded());
    SetConsoleInput(nullptr);
}

void FreshEngine() {
    FreshWorkDir();
    const Directories& d = Dirs();
    // As ResetEngineState, with one memset in place of the element loops,
    // which the fuzzer's comparison tracing makes slow.
    std::memset(&Spectra, 0, sizeof Spectra);
    Engine = EngineState{};
    ResetProgramState();
    InitEngineState();
    SetInternalDefaults();
    std::string main = d.work + "/";
    Paths.MainPath = main;
    Paths.SecondPath = main;
    Paths.ShiftRootPath = main;
    Engine.MainLogFile = main + kMainLogName;
    Engine.ShiftLogFile = main + kShiftLogName;
}

EffectiveUvRun PrepareEffectiveUv(const std::vector<std::pair<std::string, std::string>>& actions,
                                  const std::string& defaults, const std::string& header) {
    EffectiveUvRun run;
    const std::string main = Paths.MainPath;
    run.Actions = main + "etoz/";
    run.Defaults = main + "efuv.dfa";
    run.Result = main + "exa/efuv/";
    std::filesystem::create_directories(main + "exa");
    std::filesystem::create_directory(run.Actions);
    for (const auto& [name, text] : actions) WriteText(run.Actions + name, text);
    WriteText(run.Defaults, defaults);
    WriteText(main + "header.txt", header);
    for (int i = 0; i <= 4000; i += 50) Spectra.FineSpectrum[i] = 1.0e-3 * i;
    return run;
}

void RunEffectiveUv(const EffectiveUvRun& run) {
    PrepareEffectiveUvFiles(run.Result, "1731230", run.Defaults, Paths.MainPath + "header.txt",
                            "exa");
    ComputeEffectiveUv(run.Result, "1731230", run.Defaults, "exa",
                       {run.Actions, 285.0, 410.0, 0.05, 35.0, 300.0, 400.0});
}

std::string InputText(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

void WriteText(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        std::abort();
    }
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

void CatchSystemEnds(void (*call)(void*), void* context) {
    try {
        call(context);
    } catch (const RunTimeError&) {
    } catch (const EngineExit&) {
    }
}

}  // namespace tarn::fuzz
