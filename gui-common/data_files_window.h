// The DataFiles window: one file list, filled from a mask (a directory and a
// file pattern with "*" and "?", matched without regard to case), showing the
// names of the matching regular files without directory, sorted by name.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QListWidget;

namespace tarn::gui {

class TfrmDataFiles : public QWidget {
    Q_OBJECT

  public:
    explicit TfrmDataFiles(QWidget* parent = nullptr);

    // Sets the mask ("dir/173*.exa"; a bare pattern lists the working
    // directory) and lists the files that match it now.
    void SetMask(const std::string& mask);
    const std::string& Mask() const { return m_mask; }
    // Lists the files of the current mask again.
    void Refresh();

    int Count() const { return static_cast<int>(m_items.size()); }
    // Item `index` in list order (0-based); raises std::out_of_range beyond the list.
    const std::string& Item(int index) const { return m_items.at(static_cast<size_t>(index)); }
    const std::vector<std::string>& Items() const { return m_items; }

    QListWidget* FileListBox1;

  private:
    std::string m_mask;
    std::vector<std::string> m_items;
};

}  // namespace tarn::gui
