// Common ground of the reader harnesses: a per-process work directory that is
// emptied before each input, the engine's state as at program start, the
// console discarded, and the system's own ends of a run caught.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Entry point of every harness (libFuzzer's name; the replay driver calls it too).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace tarn::fuzz {

// Inputs above this size are passed over: no operator file of these kinds is
// near it, and large inputs only slow the fuzzing down.
constexpr size_t kMaxInputSize = 64 * 1024;

// The directory the harness works in (no trailing separator).  It lies six
// levels below the process's own temporary directory, so that names read from
// an input ("../x") cannot leave that temporary directory.
const std::string& WorkDir();

// Empties the temporary directory, recreates and enters the work directory
// and discards the console.
void FreshWorkDir();

// FreshWorkDir, then resets the engine's records, prepares the logs there, sets the built-in
// defaults and makes the work directory the main path (with its separator).
void FreshEngine();

// The input as text.
std::string InputText(const uint8_t* data, size_t size);

// Writes `text` to `path` (the directory must exist).
void WriteText(const std::string& path, const std::string& text);

// The files of one effective-UV run in the work directory: the action spectra
// (name, text) in <main path>etoz/, "header.txt", "efuv.dfa" holding
// `defaults`, the result directory <main path>exa/ and a rising fine spectrum.
struct EffectiveUvRun {
    std::string Actions;   // action-spectrum directory
    std::string Defaults;  // path of efuv.dfa
    std::string Result;    // result directory, with its separator
};
EffectiveUvRun PrepareEffectiveUv(const std::vector<std::pair<std::string, std::string>>& actions,
                                  const std::string& defaults, const std::string& header);

// PrepareEffectiveUvFiles and ComputeEffectiveUv for scan 1731230, as the main
// flow calls them.
void RunEffectiveUv(const EffectiveUvRun& run);

// Runs a reader; the run-time error report and a halt are the system's own
// ends of a run and count as a pass.  Anything else (another exception, a
// crash, a sanitizer report) reaches the fuzzer.
template <class Reader>
void RunReader(Reader reader);

// Implementation detail of RunReader.
void CatchSystemEnds(void (*call)(void*), void* context);

template <class Reader>
void RunReader(Reader reader) {
    CatchSystemEnds([](void* c) { (*static_cast<Reader*>(c))(); }, &reader);
}

}  // namespace tarn::fuzz
