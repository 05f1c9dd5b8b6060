// tarncall: the operator shell.  Creates the main window, the DataFiles
// window, the settings dialog and the axis dialog, and runs until the main
// window is closed.
#include <QApplication>
#include <QLocale>
#include <clocale>

#include "gui-common/data_files_window.h"
#include "shell/grafiek01.h"
#include "shell/settings3.h"
#include "shell/tarncall.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Numbers shown and written read back in the engine whatever the
    // operator's locale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    QApplication::setApplicationName(QLatin1String(tarn::tarncall::kApplicationTitle));
    // The program ends when the main window closes, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    int code = 0;
    {
        tarn::tarncall::TForm1 form;
        tarn::tarncall::DataFilesWindow();
        // Takes the output specification's name the main window read.
        tarn::tarncall::frmSettings();
        tarn::tarncall::Frm_axissetting();
        QObject::connect(&form, &tarn::tarncall::TForm1::closed, &app, &QApplication::quit);
        form.show();
        code = QApplication::exec();
    }
    tarn::tarncall::ReleaseShiftGraphs();
    tarn::tarncall::ReleaseSettingsDialog();
    tarn::tarncall::ReleaseDataFilesWindow();
    return code;
}
