#include "tests/e2e/day_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/test_support.h"

namespace tarn::test {

namespace fs = std::filesystem;

namespace {

std::string ExampleDir() {
    return SourceDir() + "/examples/day";
}

std::string GoldenDir(const std::string& name) {
    return SourceDir() + "/tests/e2e/golden/" + name;
}

std::map<std::string, std::string> ReadTree(const std::string& root) {
    std::map<std::string, std::string> files;
    if (!fs::is_directory(root)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string relative = fs::relative(entry.path(), root).generic_string();
        if (relative.rfind(".run", 0) == 0) continue;  // the runner's own files
        files[relative] = ReadFile(entry.path().string());
    }
    return files;
}

// Masks the text after `marker` over `length` characters, on every line.
void MaskAfter(std::string& text, const std::string& marker, size_t length) {
    size_t pos = 0;
    while ((pos = text.find(marker, pos)) != std::string::npos) {
        size_t start = pos + marker.size();
        size_t end = std::min(text.find('\n', start), start + length);
        if (end == std::string::npos) end = text.size();
        text.replace(start, end - start, std::string(end - start, '#'));
        pos = start;
    }
}

// First differing line of two texts, for the failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::vector<std::string> a = SplitLines(expected), b = SplitLines(actual);
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        std::string x = i < a.size() ? a[i] : "<end of file>";
        std::string y = i < b.size() ? b[i] : "<end of file>";
        if (x != y)
            return "line " + std::to_string(i + 1) + ":\n  golden: " + x + "\n  actual: " + y;
    }
    return "line ends differ";
}

}  // namespace

std::vector<std::string> ExampleScans() {
    std::vector<std::string> scans;
    for (const std::string& line : ReadLines(ExampleDir() + "/scans.txt"))
        if (!line.empty()) scans.push_back(line);
    return scans;
}

void CopyExampleDay(const std::string& workDir) {
    fs::create_directories(workDir);
    fs::copy(ExampleDir(), workDir, fs::copy_options::recursive);
}

std::string RunDay(const std::string& workDir, const std::vector<ScanCall>& calls,
                   std::vector<int>* codes, const std::vector<std::string>& environment) {
    std::string console;
    for (const ScanCall& call : calls) {
        std::vector<std::string> args = {call.scan, "exa", "tarn_exa.dfa", "S", "I", "W"};
        if (!call.optionWord.empty()) args.push_back(call.optionWord);
        std::string out, err;
        int code = RunTarnpelo(workDir, args, &out, &err, std::string(), environment);
        if (codes != nullptr) codes->push_back(code);
        console += out + err;
    }
    return console;
}

std::map<std::string, std::string> RunOutputs(const std::string& workDir) {
    std::map<std::string, std::string> inputs = ReadTree(ExampleDir());
    std::map<std::string, std::string> outputs;
    for (auto& [path, text] : ReadTree(workDir)) {
        auto input = inputs.find(path);
        if (input == inputs.end() || input->second != text) outputs[path] = text;
    }
    return outputs;
}

std::string MaskRunTime(const std::string& text) {
    std::string masked = text;
    MaskAfter(masked, "Calculated : ", 32);  // "2026 Month 12 Day  8 Time: 19:58"
    MaskAfter(masked, "Calculation Date: ", 100);
    MaskAfter(masked, "END of Program ", 11);  // "00:00:00.11"
    MaskAfter(masked, "END of analysis ", 11);
    return masked;
}

void ExpectMatchesGolden(const std::string& name,
                         const std::map<std::string, std::string>& outputs) {
    std::string dir = GoldenDir(name);
    if (std::getenv("TARN_UPDATE_GOLDEN") != nullptr) {
        fs::remove_all(dir);
        for (const auto& [path, text] : outputs) {
            fs::create_directories(fs::path(dir + "/" + path).parent_path());
            WriteFile(dir + "/" + path, MaskRunTime(text));
        }
        return;
    }
    std::map<std::string, std::string> golden = ReadTree(dir);
    ASSERT_FALSE(golden.empty()) << "no golden copies in " << dir;
    for (const auto& [path, text] : golden) {
        auto produced = outputs.find(path);
        if (produced == outputs.end()) {
            ADD_FAILURE() << "not produced: " << path;
            continue;
        }
        std::string actual = MaskRunTime(produced->second);
        if (actual != text)
            ADD_FAILURE() << path << " differs at " << FirstDifference(text, actual);
    }
    for (const auto& [path, text] : outputs) {
        if (golden.count(path) == 0)
            ADD_FAILURE() << "produced but not in the golden copies: " << path;
    }
}

}  // namespace tarn::test
