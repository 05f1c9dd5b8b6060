// Fixture of the batch tests: a fresh working directory, the console captured
// and a batch run in-process.
#pragma once

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/run_error.h"
#include "tarnbat/batch_run.h"
#include "tests/support/test_support.h"

namespace tarn::test {

class BatchTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        SetConsole(&m_console);
    }
    void TearDown() override {
        SetConsole(nullptr);
        TempDirTest::TearDown();
    }
    // Writes `lines` as "tarn_bat.bat" and runs it.
    BatchOutcome RunBatch(const std::string& lines) {
        WriteFile(Path("tarn_bat.bat"), lines);
        return RunBatchFile("tarn_bat.bat");
    }
    std::string ConsoleText() const { return m_console.str(); }
    // The test program's path, quoted for a batch line.
    static std::string Probe() { return std::string("\"") + TARNBAT_PROBE + "\""; }

    // Sorted names in the directory `name` of the working directory.
    std::vector<std::string> Entries(const std::string& name) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Path(name)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::ostringstream m_console;
};

// The reason that one line, run alone, stops the batch; "" when it goes on.
inline std::string LineStop(const std::vector<std::string>& args) {
    try {
        RunBatchLine(args);
    } catch (const RunTimeError& stop) {
        return stop.Report();
    }
    return std::string();
}

}  // namespace tarn::test
