#include "shell/shell_program.h"

#include <QApplication>
#include <QLocale>
#include <clocale>

#include "shell/main_window.h"

namespace tarn::tarncall {

ShellProgram::ShellProgram() {
    // Numbers shown and written read back in the engine whatever the
    // operator's locale.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    QApplication::setApplicationName(QLatin1String(kApplicationTitle));
    m_form = std::make_unique<TForm1>();
    m_form->show();
}

ShellProgram::~ShellProgram() = default;

}  // namespace tarn::tarncall
