#include "shell/shell_program.h"

#include <QApplication>
#include <QLocale>
#include <clocale>

#include "shell/main_window.h"
#include "shell/settings_dialog.h"
#include "shell/shift_graph_window.h"

namespace tarn::tarncall {

ShellProgram::ShellProgram() {
    // Numbers shown and written read back in the engine whatever the
    // operator's locale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    QApplication::setApplicationName(QLatin1String(kApplicationTitle));
    m_form = std::make_unique<TForm1>();
    DataFilesWindow();
    // Takes the output specification's name the main window read.
    frmSettings();
    Frm_axissetting();
    m_form->show();
}

ShellProgram::~ShellProgram() {
    m_form.reset();
    ReleaseShiftGraphs();
    ReleaseSettingsDialog();
    ReleaseDataFilesWindow();
}

}  // namespace tarn::tarncall
