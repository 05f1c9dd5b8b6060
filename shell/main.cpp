// tarncall: the operator shell.  Creates the main window, the DataFiles
// window, the settings dialog and the axis dialog, and runs until the main
// window is closed.
#include <QApplication>

#include "shell/main_window.h"
#include "shell/shell_program.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The program ends when the main window closes, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    tarn::tarncall::ShellProgram program;
    QObject::connect(&program.Form(), &tarn::tarncall::TForm1::closed, &app, &QApplication::quit);
    return QApplication::exec();
}
