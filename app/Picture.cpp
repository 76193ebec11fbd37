#include "app/Picture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>

namespace app {

Picture::Picture(QWidget* parent)
    : QLabel(parent) {}

void Picture::setPicture(const QString& path) {
    m_picture = path;
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        qWarning("Memvane: cannot show the picture %s: %s", qPrintable(path),
                 qPrintable(reader.errorString()));
    setPixmap(QPixmap::fromImage(image));
}

} // namespace app
