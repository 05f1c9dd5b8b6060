// An edit of a line-list file that is saved also when an error interrupts it.
#pragma once

#include <string>

#include "gui-common/line_list.h"

namespace tarn::gui {

// A list opened for an edit: loaded on construction, saved under its save name
// when Save() is called or, when the edit ends without Save() (an error
// interrupted it), by the destructor on the way out.  A save failure in the
// destructor is dropped: the error that interrupted the edit is the one
// reported, and the atomic save has left the file as it was.
class ListEdit {
  public:
    // Loads `path` (raises RunTimeError when it cannot: nothing is then
    // saved); the list is saved under `path`, or under `savePath` when one is
    // given (an empty one names no file: its save fails).
    explicit ListEdit(const std::string& path);
    ListEdit(const std::string& path, const std::string& savePath);
    ~ListEdit();
    ListEdit(const ListEdit&) = delete;
    ListEdit& operator=(const ListEdit&) = delete;

    LineList& List() { return m_list; }
    LineList* operator->() { return &m_list; }
    // Saves now (raising RunTimeError on failure); the edit is then closed.
    void Save();
    const std::string& SavePath() const { return m_savePath; }

  private:
    LineList m_list;
    std::string m_savePath;
    bool m_saved = false;
};

}  // namespace tarn::gui
