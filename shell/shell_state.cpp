#include "shell/shell_state.h"

namespace tarn::tarncall {

ShellStateRecord ShellState;

}  // namespace tarn::tarncall
