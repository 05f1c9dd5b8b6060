// Runs of the real tarnpelo program over (a copy of) the example day, and the
// comparison of a result tree with golden copies kept in the tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tarn::test {

// One engine call: the scan name and, when not empty, an option word.
struct ScanCall {
    std::string scan;
    std::string optionWord;
};

// The example day's scan names in time order.
std::vector<std::string> ExampleScans();

// Copies examples/day into `workDir` (created).
void CopyExampleDay(const std::string& workDir);

// Runs "tarnpelo <scan> exa tarn_exa.dfa S I W [option]" for each call in
// `workDir`; returns the console text of all calls; every exit code goes to `codes`.
std::string RunDay(const std::string& workDir, const std::vector<ScanCall>& calls,
                   std::vector<int>* codes = nullptr,
                   const std::vector<std::string>& environment = {});

// The files of `workDir` that the runs made or changed (relative path -> text);
// files equal to their copy in examples/day are left out.
std::map<std::string, std::string> RunOutputs(const std::string& workDir);

// Replaces what depends on the run's date and time.
std::string MaskRunTime(const std::string& text);

// Compares outputs with tests/e2e/golden/<name>/ (masked).  With the
// environment variable TARN_UPDATE_GOLDEN set, rewrites the golden copies.
void ExpectMatchesGolden(const std::string& name,
                         const std::map<std::string, std::string>& outputs);

}  // namespace tarn::test
