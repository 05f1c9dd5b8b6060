// Times the result viewer's opening of a view: from the start of the viewer's
// process to its graphs drawn on the screen, as "resplot --export" opens a
// view but without writing images.  Run in a working directory whose
// "viewer.dfa" holds the view:
//   viewer_open
// The program forks and runs itself as the viewer ("viewer_open --viewer FD"),
// linked like resplot: the child makes the application object and the
// viewer's main window (which reads "viewer.dfa"), presses "Plot" as the
// operator does, and lets the shown graph windows paint (the offscreen
// platform draws them as a screen would); it reports the monotonic clock after
// each step through the pipe FD.  The parent prints one line:
//   <application> <main window> <plotted> <drawn> <exit> <graphs> <points> <painted>
// times in microseconds from just before the fork; points: the Series1 points
// of all graphs; painted: the graphs whose chart received a paint event.
// Exit code 0, or 2 with one line on standard error.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>

#include "gui-common/chart.h"
#include "gui-common/chart_series.h"
#include "gui-common/dialogs.h"
#include "viewer/column_graphs.h"
#include "viewer/export_mode.h"
#include "viewer/graph_window.h"
#include "viewer/main_window.h"

namespace {

long long Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// Records the widgets that received a paint event.
class PaintWatch : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted.insert(watched);
        return false;
    }
    std::set<QObject*> painted;
};

// The viewer: application, main window, "Plot", paint; the stamps go to `fd`.
int RunViewer(int fd) {
    int argc = 1;
    char name[] = "viewer_open";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    const long long application = Now();
    tarn::resplot::ConsoleDialogs dialogs;
    tarn::gui::SetDialogs(&dialogs);
    std::string line;
    {
        tarn::resplot::TForm1 form;
        const long long window = Now();
        PaintWatch watch;
        form.btn_plot->click();
        const long long plotted = Now();
        const auto graphs = form.Graphs().Graphs();
        for (tarn::resplot::TGrafiek1* graph : graphs) graph->Chart1->installEventFilter(&watch);
        QApplication::processEvents();
        const long long drawn = Now();
        long points = 0;
        for (tarn::resplot::TGrafiek1* graph : graphs) points += graph->Series1->Count();
        line = std::to_string(application) + " " + std::to_string(window) + " " +
               std::to_string(plotted) + " " + std::to_string(drawn) + " " +
               std::to_string(graphs.size()) + " " + std::to_string(points) + " " +
               std::to_string(watch.painted.size()) + "\n";
    }
    tarn::gui::SetDialogs(nullptr);
    if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return 2;
    return 0;
}

int Fail(const char* what) {
    std::fprintf(stderr, "viewer_open: %s: %s\n", what, std::strerror(errno));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--viewer") == 0) return RunViewer(std::atoi(argv[2]));
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return Fail("pipe");
    const std::string fd = std::to_string(pipeFds[1]);
    const long long start = Now();
    const pid_t child = fork();
    if (child < 0) return Fail("fork");
    if (child == 0) {
        close(pipeFds[0]);
        execl("/proc/self/exe", argv[0], "--viewer", fd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    char buffer[256] = {};
    size_t used = 0;
    ssize_t got;
    while (used + 1 < sizeof buffer &&
           (got = read(pipeFds[0], buffer + used, sizeof buffer - 1 - used)) > 0)
        used += static_cast<size_t>(got);
    int status = 0;
    if (waitpid(child, &status, 0) < 0) return Fail("waitpid");
    const long long end = Now();
    long long application, window, plotted, drawn;
    long graphs, points, painted;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(buffer, "%lld %lld %lld %lld %ld %ld %ld", &application, &window, &plotted,
                    &drawn, &graphs, &points, &painted) != 7) {
        std::fprintf(stderr, "viewer_open: the viewer failed\n");
        return 2;
    }
    std::printf("%lld %lld %lld %lld %lld %ld %ld %ld\n", application - start, window - start,
                plotted - start, drawn - start, end - start, graphs, points, painted);
    return 0;
}
