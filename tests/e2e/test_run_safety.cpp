// Whatever happens to a run of the example day: two runs started together,
// a run killed at many points and run again, a disk that fills up at many
// points, a scan denser than the fine grid, a low sun's tiny irradiances.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <regex>
#include <sstream>

#include "engine/main_flow.h"
#include "platform/console.h"
#include "tarnbat/file_commands.h"
#include "tarnbat/zip_archive.h"
#include "tarnbat/zip_restore.h"
#include "tests/e2e/day_run.h"
#include "tests/support/file_faults.h"
#include "tests/support/test_support.h"

namespace tarn::test {
namespace {

namespace fs = std::filesystem;

constexpr int kKilled = 99;
const char* const kFirst = "1730500";  // analysed before: the day's files exist
const char* const kSecond = "1730630";
const char* const kThird = "1730800";
const char* const kWaiting = "Waiting for the analysis running in ";

// The result tree of a work directory (run times masked).
std::map<std::string, std::string> ResultTree(const std::string& work) {
    std::map<std::string, std::string> tree;
    for (const auto& [path, text] : RunOutputs(work))
        if (path.rfind("uvanalys/exa/", 0) == 0) tree[path] = MaskRunTime(text);
    return tree;
}

// Runs the engine in this process on one scan in `work`; returns the exit code.
int RunHere(const std::string& work, const std::string& scan) {
    fs::path old = fs::current_path();
    fs::current_path(work);
    std::ostringstream console;
    SetConsole(&console);
    int code = tarn::RunTarnpelo({scan, "exa", "tarn_exa.dfa", "S", "I", "W"});
    SetConsole(nullptr);
    fs::current_path(old);
    return code;
}

// Starts the tarnpelo program on `scan` in `work`, its console into `out`.
pid_t Start(const std::string& work, const std::string& scan, const std::string& out) {
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(work.c_str()) != 0 || !freopen(out.c_str(), "w", stdout)) _exit(127);
        std::string exe = TARNPELO_EXE;
        std::vector<std::string> args = {exe, scan, "exa", "tarn_exa.dfa", "S", "I", "W"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RunSafetyTest : public TempDirTest {
  protected:
    // A copy of the example day after its first scan, made once per test.
    std::string Base() {
        if (m_base.empty()) {
            m_base = Path("base");
            CopyExampleDay(m_base);
            EXPECT_EQ(RunHere(m_base, kFirst), 0);
        }
        return m_base;
    }
    // A fresh copy of the base day.
    std::string Copy(const std::string& name) {
        std::string dir = Path(name);
        fs::copy(Base(), dir, fs::copy_options::recursive);
        return dir;
    }
    // The base day after `scans`, run one after another.
    std::map<std::string, std::string> Serial(const std::string& name,
                                              const std::vector<std::string>& scans) {
        std::string dir = Copy(name);
        for (const std::string& scan : scans) EXPECT_EQ(RunHere(dir, scan), 0);
        return ResultTree(dir);
    }
    // Runs the second scan on a copy and returns its file operations and bytes.
    void MeasureSecond(long& operations, long long& bytes) {
        std::string dir = Copy("measure");
        ResetFileHooks();
        EXPECT_EQ(RunHere(dir, kSecond), 0);
        operations = FileOperations();
        bytes = BytesWritten();
        ResetFileHooks();
    }
    // Kills the second scan's run before its `op`-th file operation, runs it
    // again, and compares the result tree with the clean day; true when the
    // rerun had to undo result files of the killed run.
    bool KillAndRerun(long op, const std::map<std::string, std::string>& clean) {
        std::string dir = Copy("killed" + std::to_string(op));
        pid_t pid = fork();
        if (pid == 0) {
            SetKillPoint(op, kKilled);
            _exit(RunHere(dir, kSecond));
        }
        EXPECT_EQ(Wait(pid), kKilled) << op;
        EXPECT_EQ(RunHere(dir, kSecond), 0) << op;
        EXPECT_TRUE(ResultTree(dir) == clean) << "killed before file operation " << op;
        EXPECT_FALSE(FileExists(dir + "/uvanalys/tarnpelo.jnl"));
        bool undone =
            ReadFile(dir + "/tarnpelo.log").find("interrupted run restored") != std::string::npos;
        fs::remove_all(dir);
        return undone;
    }

  private:
    std::string m_base;
};

// Pairs of runs started together in one directory equal the two runs one
// after the other; the one that waited says so once, and ran second.
TEST_F(RunSafetyTest, RunsStartedTogetherEqualTheSerialRuns) {
    std::map<std::string, std::string> secondFirst = Serial("serial1", {kSecond, kThird});
    std::map<std::string, std::string> thirdFirst = Serial("serial2", {kThird, kSecond});
    int waited = 0;
    for (int pair = 0; pair < 10; ++pair) {
        std::string dir = Copy("pair" + std::to_string(pair));
        pid_t a = Start(dir, kSecond, dir + "/.second.out");
        pid_t b = Start(dir, kThird, dir + "/.third.out");
        EXPECT_EQ(Wait(a), 0);
        EXPECT_EQ(Wait(b), 0);
        std::string outA = ReadFile(dir + "/.second.out"), outB = ReadFile(dir + "/.third.out");
        bool aWaited = outA.rfind(kWaiting, 0) == 0, bWaited = outB.rfind(kWaiting, 0) == 0;
        EXPECT_FALSE(aWaited && bWaited);
        for (const std::string* out : {&outA, &outB}) {
            std::vector<std::string> lines = SplitLines(*out);
            EXPECT_LE(std::count_if(lines.begin(), lines.end(),
                                    [](const std::string& l) { return l.rfind(kWaiting, 0) == 0; }),
                      1);
        }
        waited += aWaited || bWaited;
        fs::remove(dir + "/.second.out");
        fs::remove(dir + "/.third.out");
        EXPECT_TRUE(ResultTree(dir) == (aWaited ? thirdFirst : secondFirst)) << "pair " << pair;
    }
    EXPECT_GT(waited, 0);  // the runs did overlap
}

// A run killed in the middle of its analysis leaves nothing in the result
// tree; run again, the day equals the clean day byte for byte.
TEST_F(RunSafetyTest, RunKilledDuringTheAnalysisAndRunAgainGivesTheCleanDay) {
    std::map<std::string, std::string> clean = Serial("clean", {kSecond});
    long operations = 0;
    long long bytes = 0;
    MeasureSecond(operations, bytes);
    for (long op : {1L, operations / 4, operations / 2, operations * 3 / 4})
        KillAndRerun(op, clean);
}

// A run killed while it writes its result files (the last file operations):
// the rerun first undoes what the killed run had written.
TEST_F(RunSafetyTest, RunKilledWhileWritingItsResultsAndRunAgainGivesTheCleanDay) {
    std::map<std::string, std::string> clean = Serial("clean", {kSecond});
    long operations = 0;
    long long bytes = 0;
    MeasureSecond(operations, bytes);
    int undone = 0;
    for (long back : {60, 40, 20, 8, 1}) undone += KillAndRerun(operations - back, clean);
    EXPECT_GE(undone, 3);
}

// A disk that fills up at many points of a run, the writing of the result
// files among them: the run ends with the run-time error and the result tree
// is as before the run, byte for byte; with room enough the run is whole.
TEST_F(RunSafetyTest, FullDiskAtManyPointsLeavesTheResultTreeAsBefore) {
    std::map<std::string, std::string> before = ResultTree(Base());
    long operations = 0;
    long long bytes = 0;
    MeasureSecond(operations, bytes);
    std::vector<long long> spaces = {0, bytes / 2};
    for (long long back : {40000, 20000, 8000, 2000, 1}) spaces.push_back(bytes - back);
    for (long long space : spaces) {
        std::string dir = Copy("full" + std::to_string(space));
        SetDiskSpace(space);
        int code = RunHere(dir, kSecond);
        SetDiskSpace(-1);
        EXPECT_EQ(code, 2) << space;
        EXPECT_TRUE(ResultTree(dir) == before) << "disk full after " << space << " bytes";
        EXPECT_FALSE(FileExists(dir + "/uvanalys/tarnpelo.jnl"));
        fs::remove_all(dir);
    }
    std::string dir = Copy("room");
    SetDiskSpace(bytes);
    EXPECT_EQ(RunHere(dir, kSecond), 0);
    SetDiskSpace(-1);
    EXPECT_TRUE(ResultTree(dir) == Serial("clean", {kSecond}));
}

// A scan with a point every 0.003 nm (three in some fine-grid cells) is
// analysed to its end: exit code 0, and no file holds NaN or an infinity.
TEST_F(RunSafetyTest, DenseScanIsAnalysedWithoutNaN) {
    std::string dir = Path("dense");
    CopyExampleDay(dir);
    std::vector<std::pair<double, double>> pairs;
    for (const std::string& line : ReadLines(dir + "/uvdata/exa/1731230.exa")) {
        std::istringstream in(line);
        double w, e;
        if (in >> w >> e) pairs.emplace_back(w, e);
    }
    std::string dense;
    size_t k = 0;
    for (int i = 0; i <= 3400; ++i) {
        double w = 300.0 + 0.003 * i;
        while (pairs[k + 1].first < w) ++k;
        double f = (w - pairs[k].first) / (pairs[k + 1].first - pairs[k].first);
        dense += std::to_string(w) + " " +
                 std::to_string(pairs[k].second + f * (pairs[k + 1].second - pairs[k].second)) +
                 "\n";
    }
    WriteFile(dir + "/uvdata/exa/1731231.exa", dense);
    ASSERT_EQ(RunHere(dir, "1731231"), 0);
    // "nan" or "inf" as a word of its own, in any case.
    auto notFinite = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const char* word : {"nan", "inf"}) {
            for (size_t p = text.find(word); p != std::string::npos; p = text.find(word, p + 1)) {
                bool before = p > 0 && std::isalpha(static_cast<unsigned char>(text[p - 1]));
                bool after =
                    p + 3 < text.size() && std::isalpha(static_cast<unsigned char>(text[p + 3]));
                if (!before && !after) return true;
            }
        }
        return false;
    };
    std::map<std::string, std::string> outputs = RunOutputs(dir);
    EXPECT_GT(outputs.size(), 30u);
    for (const auto& [path, text] : outputs) EXPECT_FALSE(notFinite(text)) << path;
}

// A low-sun scan (1731800, 79.4 degrees) holding irradiances far below any
// noise, as a block at its short end or one point where its structure is
// checked, is analysed: its rows are in the day's quality and effective-UV
// tables, and no file holds NaN or an infinity.
TEST_F(RunSafetyTest, LowSunScanWithTinyIrradiancesIsAnalysed) {
    struct Row {
        const char* value;
        int first, last, every;  // scan lines (290 nm + 0.5 nm x line) given the value
    };
    const Row rows[] = {{"1e-31", 0, 11, 1},   {"-5e-49", 0, 11, 1},   {"1e-300", 0, 11, 1},
                        {"1e-300", 20, 20, 1}, {"-1e-300", 22, 22, 1}, {"4e-320", 0, 20, 2}};
    const std::regex notFinite("\\b(nan|inf|infinity)\\b", std::regex::icase);
    for (const Row& r : rows) {
        std::string dir = Path(std::string("low") + r.value + "_" + std::to_string(r.first));
        CopyExampleDay(dir);
        std::vector<std::string> lines = ReadLines(dir + "/uvdata/exa/1731800.exa");
        for (int i = r.first; i <= r.last; i += r.every) lines[i] = lines[i].substr(0, 6) + r.value;
        std::string scan;
        for (const std::string& line : lines) scan += line + "\n";
        WriteFile(dir + "/uvdata/exa/1731800.exa", scan);
        SCOPED_TRACE(std::string(r.value) + " from line " + std::to_string(r.first));
        ASSERT_EQ(RunHere(dir, "1731800"), 0);
        std::map<std::string, std::string> out = RunOutputs(dir);
        for (const auto& [file, text] : out) EXPECT_FALSE(regex_search(text, notFinite)) << file;
        for (std::string table : {"qaqc/173QC", "efuv/173uv315", "efuv/173uv400", "efuv/173band"}) {
            const char* row = table[0] == 'q' ? "\n1731800  79.40 " : "\n1800 18.0000  79.40 ";
            EXPECT_NE(out["uvanalys/exa/" + table + ".exa"].find(row), std::string::npos) << table;
        }
    }
}

// A restore of the archived day killed part-way, then the day run again as
// the shell's batch runs it (pkunzip before the engine line): the day equals
// that of a run that never archived.
TEST_F(RunSafetyTest, KilledRestoreAndRerunGiveTheDayOfARunNeverArchived) {
    std::map<std::string, std::string> clean = Serial("clean", {kSecond});
    const std::string archived = Copy("archived"), results = archived + "/uvanalys/exa/";
    const long files = PackFiles({results + "exa173", results + "173*.*", true, true}).Packed;
    for (const char* dir : {"", "efuv/", "shift/", "qaqc/", "qaqc/struc/", "trans/"})
        EXPECT_TRUE(DeleteByPattern(results + dir + "173*.*").empty());
    const auto restore = [](const std::string& work) {
        return RestoreFiles({work + "/uvanalys/exa/exa173", work + "/uvanalys/exa/", true});
    };
    fs::copy(archived, Path("measure"), fs::copy_options::recursive);
    ResetFileHooks();
    ASSERT_EQ(restore(Path("measure")).Restored, static_cast<size_t>(files));
    // Kills before the first write, amid the writes, before the first rename
    // and amid the renames (each followed by one counted flush).
    const long renames = FileOperations() - files;
    for (long op : {1L, renames / 2, renames, renames + files / 2, renames + files}) {
        const std::string work = Path("killed" + std::to_string(op));
        fs::copy(archived, work, fs::copy_options::recursive);
        pid_t pid = fork();
        if (pid == 0) {
            SetKillPoint(op, kKilled);
            (void)restore(work);
            _exit(0);
        }
        EXPECT_EQ(Wait(pid), kKilled) << op;
        (void)restore(work);
        EXPECT_EQ(RunHere(work, kSecond), 0);
        std::map<std::string, std::string> tree = ResultTree(work);
        tree.erase("uvanalys/exa/exa173.zip");
        EXPECT_TRUE(tree == clean) << "restore killed before file operation " << op;
    }
}

}  // namespace
}  // namespace tarn::test
