// Shared helpers of the tests: a fresh temporary working directory per test,
// file reading and writing, console capture and a reset engine.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tarn::test {

// Reads a whole file; empty when it cannot be opened.
std::string ReadFile(const std::string& path);
// The file's lines without their line ends.
std::vector<std::string> ReadLines(const std::string& path);
// Writes `content` to `path` (directories must exist).
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
void MakeDirs(const std::string& path);
// Splits text into lines without their line ends.
std::vector<std::string> SplitLines(const std::string& text);
// Reference data directory (../shared/refdata); empty when it is not there.
std::string RefDataDir();
// Project source directory.
std::string SourceDir();

// Runs the tarnpelo program with the arguments in `workDir`; returns its exit
// code and fills stdout/stderr when given.  Standard input from `input`;
// `environment` entries ("NAME=value") are set in the program's environment.
int RunTarnpelo(const std::string& workDir, const std::vector<std::string>& args,
                std::string* out = nullptr, std::string* err = nullptr,
                const std::string& input = std::string(),
                const std::vector<std::string>& environment = {});

// Each test runs in its own fresh temporary directory, which is the working
// directory while it runs and is removed afterwards.
class TempDirTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Path of a file in the temporary directory.
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    const std::string& Dir() const { return m_dir; }

  private:
    std::string m_dir;
    std::string m_oldCwd;
};

// TempDirTest with the engine's state reset as at program start, the logs
// prepared in the temporary directory, the built-in defaults set, the main
// path pointing at the temporary directory and the console captured.
class EngineTest : public TempDirTest {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::string ConsoleText() const { return m_console.str(); }
    void ClearConsole() { m_console.str(std::string()); }
    void SetInput(const std::string& text);
    std::string MainPath() const { return Dir() + "/"; }

  private:
    std::ostringstream m_console;
    std::istringstream m_input;
};

}  // namespace tarn::test
