// resplot: plots chosen columns of result files.  Without arguments it is the
// windowed program; "--export DIR" plots the saved view into image files (see
// export_mode.h).
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "viewer/export_mode.h"
#include "viewer/main_window.h"

namespace {

// In export mode standard error holds only the program's own lines: the
// toolkit's notes and warnings are dropped, its critical and fatal reports kept.
void ToolkitReportsOnly(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--export") == 0)
        qInstallMessageHandler(ToolkitReportsOnly);
    QApplication app(argc, argv);
    // The toolkit has taken its own options ("-platform ...") out of the list.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() == 2 && arguments[0] == QLatin1String("--export"))
        return tarn::resplot::RunExportMode(arguments[1]);
    if (!arguments.isEmpty()) {
        std::fprintf(stderr, "usage: resplot [--export DIR]\n");
        return 2;
    }
    // The program ends when the main window closes, whatever graphs are open.
    QApplication::setQuitOnLastWindowClosed(false);
    tarn::resplot::TForm1 form;
    QObject::connect(&form, &tarn::resplot::TForm1::closed, &app, &QApplication::quit);
    form.show();
    return QApplication::exec();
}
