#include "gui-common/data_files_window.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "gui-common/edit_text.h"
#include "platform/file_mask.h"

namespace tarn::gui {

TfrmDataFiles::TfrmDataFiles(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("DataFiles"));
    resize(143, 300);
    setMinimumSize(143, 300);
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FileListBox1);
}

void TfrmDataFiles::SetMask(const std::string& mask) {
    m_mask = mask;
    Refresh();
}

void TfrmDataFiles::Refresh() {
    m_items = m_mask.empty() ? std::vector<std::string>() : ListFilesByMask(m_mask);
    FileListBox1->clear();
    for (const std::string& name : m_items) FileListBox1->addItem(DecodeBytes(name));
}

}  // namespace tarn::gui
