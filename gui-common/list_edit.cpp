#include "gui-common/list_edit.h"

namespace tarn::gui {

ListEdit::ListEdit(const std::string& path) : ListEdit(path, path) {}

ListEdit::ListEdit(const std::string& path, const std::string& savePath) : m_savePath(savePath) {
    m_list.Load(path);
}

ListEdit::~ListEdit() {
    if (m_saved) return;
    try {
        m_list.Save(m_savePath);
    } catch (const RunTimeError&) {
        // The error that ended the edit early is the one the guard reports.
    }
}

void ListEdit::Save() {
    m_saved = true;
    m_list.Save(m_savePath);
}

}  // namespace tarn::gui
