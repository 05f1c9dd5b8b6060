#include "shell/shell_program.h"

#include <QApplication>
#include <QLocale>
#include <clocale>
#include <csignal>

#include "shell/main_window.h"

namespace tarn::tarncall {

ShellProgram::ShellProgram() {
    // Ctrl+C in the operator's terminal ends neither the shell nor a run:
    // an ignored SIGINT stays ignored in every program started from here
    // (the batch interpreter, the engine, the viewer).  "Break" stops a run.
    std::signal(SIGINT, SIG_IGN);
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
