#include "tests/support/test_support.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/defaults.h"
#include "engine/engine_state.h"
#include "engine/program_state.h"
#include "platform/console.h"

namespace tarn::test {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> ReadLines(const std::string& path) {
    return SplitLines(ReadFile(path));
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

bool FileExists(const std::string& path) {
    return fs::exists(path);
}

void MakeDirs(const std::string& path) {
    fs::create_directories(path);
}

std::string RefDataDir() {
    std::string dir = TARN_REFDATA_DIR;
    return fs::is_directory(dir) ? dir : std::string();
}

std::string SourceDir() {
    return TARN_SOURCE_DIR;
}

int RunTarnpelo(const std::string& workDir, const std::vector<std::string>& args, std::string* out,
                std::string* err, const std::string& input,
                const std::vector<std::string>& environment) {
    std::string base = workDir + "/.run";
    std::string outFile = base + ".out", errFile = base + ".err", inFile = base + ".in";
    WriteFile(inFile, input);
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(workDir.c_str()) != 0) _exit(127);
        for (const std::string& entry : environment) putenv(strdup(entry.c_str()));
        if (!freopen(inFile.c_str(), "r", stdin) || !freopen(outFile.c_str(), "w", stdout) ||
            !freopen(errFile.c_str(), "w", stderr))
            _exit(127);
        std::vector<char*> argv;
        std::string exe = TARNPELO_EXE;
        argv.push_back(exe.data());
        std::vector<std::string> copy(args);
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (out != nullptr) *out = ReadFile(outFile);
    if (err != nullptr) *err = ReadFile(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    fs::remove(inFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void TempDirTest::SetUp() {
    m_oldCwd = fs::current_path().string();
    std::string pattern = (fs::temp_directory_path() / "tarn-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    ASSERT_NE(mkdtemp(buffer.data()), nullptr);
    m_dir = buffer.data();
    fs::current_path(m_dir);
}

void TempDirTest::TearDown() {
    fs::current_path(m_oldCwd);
    std::error_code ignored;
    if (!::testing::Test::HasFailure()) fs::remove_all(m_dir, ignored);
}

void EngineTest::SetUp() {
    TempDirTest::SetUp();
    SetConsole(&m_console);
    SetConsoleInput(&m_input);
    ResetEngineState();
    ResetProgramState();
    InitEngineState();
    SetInternalDefaults();
    Paths.MainPath = MainPath();
    Paths.SecondPath = MainPath();
    Paths.ShiftRootPath = MainPath();
    Engine.MainLogFile = MainPath() + kMainLogName;
    Engine.ShiftLogFile = MainPath() + kShiftLogName;
}

void EngineTest::TearDown() {
    SetConsole(nullptr);
    SetConsoleInput(nullptr);
    TempDirTest::TearDown();
}

void EngineTest::SetInput(const std::string& text) {
    m_input.clear();
    m_input.str(text);
}

}  // namespace tarn::test
