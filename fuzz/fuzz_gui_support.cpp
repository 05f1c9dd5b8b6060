#include "fuzz/fuzz_gui_support.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "gui-common/chart.h"
#include "tests/support/recording_dialogs.h"

#ifndef TARN_EXAMPLE_DIR
#error "TARN_EXAMPLE_DIR must name examples/day"
#endif

// Leaks inside the system libraries that Qt loads (D-Bus, fontconfig) are not
// ours; LeakSanitizer reads this list at start, in the replays and the fuzzers.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libfontconfig.so\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

namespace tarn::fuzz {

namespace {

// Texts of library exceptions that the windowed programs' guard would show.
constexpr const char* kLibraryTexts[] = {"basic_string", "vector::",  "_M_",
                                         "stoi",         "stol",      "stod",
                                         "bad_alloc",    "bad_array", "ended with an unknown error",
                                         "map::at",      "bitset"};

gui::RecordingDialogs*& Recorder() {
    static gui::RecordingDialogs* recorder = nullptr;
    return recorder;
}

}  // namespace

void StartGui() {
    static QApplication* application = nullptr;
    if (application != nullptr) return;
    // The programs read no environment variables; the harness sets these two
    // for itself before Qt reads them.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("HOME", (WorkDir() + "/home").c_str(), 1);
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    application = new QApplication(argc, argv);
    Recorder() = new gui::RecordingDialogs();
}

bool StartGuiInput(size_t size) {
    if (size > kMaxInputSize) return false;
    StartGui();
    FreshWorkDir();
    return true;
}

std::string ConfinedInput(const uint8_t* data, size_t size) {
    return ConfinePaths(InputText(data, size));
}

void CheckReports() {
    gui::RecordingDialogs* recorder = Recorder();
    if (recorder == nullptr) return;
    for (const QString& text : recorder->Errors()) {
        for (const char* library : kLibraryTexts) {
            if (text.contains(QLatin1String(library))) {
                std::fprintf(stderr, "library exception reported: %s\n", qPrintable(text));
                std::abort();
            }
        }
    }
    recorder->Clear();
}

std::string ConfinePaths(std::string text) {
    for (size_t at = text.find(".."); at != std::string::npos; at = text.find("..", at))
        text[at + 1] = '_';
    bool lineStart = true;
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            lineStart = true;
        } else if (lineStart && (c == '/' || c == '\\')) {
            c = '_';
            lineStart = false;
        } else if (c != ' ' && c != '\t') {
            lineStart = false;
        }
    }
    return text;
}

const std::string& ExampleText(const std::string& relative) {
    static std::map<std::string, std::string> texts;
    auto found = texts.find(relative);
    if (found != texts.end()) return found->second;
    const std::string path = std::string(TARN_EXAMPLE_DIR) + "/" + relative;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::perror(path.c_str());
        std::abort();
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return texts.emplace(relative, std::move(text)).first->second;
}

void WriteWorkFile(const std::string& relative, const std::string& text) {
    const std::filesystem::path path = WorkDir() + "/" + relative;
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    WriteText(path.string(), text);
}

std::vector<std::string> StoredLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {"<none>"};
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

namespace {

// `text` with bytes outside printable ASCII as \xNN.
std::string Escaped(const std::string& text) {
    std::string escaped;
    for (unsigned char c : text) {
        if (c >= ' ' && c < 127) {
            escaped += static_cast<char>(c);
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            escaped += code;
        }
    }
    return escaped;
}

}  // namespace

void CheckLines(const std::vector<std::string>& expected, const std::vector<std::string>& actual,
                const char* what) {
    if (expected == actual) return;
    size_t line = 0;
    while (line < expected.size() && line < actual.size() && expected[line] == actual[line]) ++line;
    auto at = [line](const std::vector<std::string>& lines) {
        return line < lines.size() ? "\"" + Escaped(lines[line]) + "\"" : std::string("<none>");
    };
    std::fprintf(stderr, "%s: line %zu is %s, expected %s (%zu lines, expected %zu)\n", what, line,
                 at(actual).c_str(), at(expected).c_str(), actual.size(), expected.size());
    std::abort();
}

void CheckHeadAndKeptLines(std::vector<std::string> head, const std::vector<std::string>& before,
                           const std::vector<std::string>& after, const char* what) {
    for (size_t line = head.size(); line < before.size(); ++line) head.push_back(before[line]);
    CheckLines(head, after, what);
}

void RenderChart(const gui::Chart& chart) {
    QImage image(320, 200, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    chart.Render(painter, QRectF(0.0, 0.0, 320.0, 200.0), 1.0);
}

}  // namespace tarn::fuzz
