#include "gui-common/widget_png.h"

#include <QFontMetrics>
#include <QImage>
#include <QLayout>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QWidget>

namespace tarn::gui {

bool SaveImageAsPng(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool RenderWidgetToPng(QWidget& widget, const QString& path, bool withCaption) {
    widget.ensurePolished();
    if (widget.layout() != nullptr) widget.layout()->activate();
    const QPixmap content = widget.grab();
    const int caption = withCaption ? QFontMetrics(widget.font()).height() + 10 : 0;
    QImage image(content.width(), content.height() + caption, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(60, 90, 150));
    {
        QPainter painter(&image);
        if (withCaption) {
            painter.setPen(Qt::white);
            painter.setFont(widget.font());
            painter.drawText(QRect(8, 0, image.width() - 16, caption),
                             Qt::AlignVCenter | Qt::AlignLeft, widget.windowTitle());
        }
        painter.drawPixmap(0, caption, content);
    }
    return SaveImageAsPng(image, path);
}

}  // namespace tarn::gui
