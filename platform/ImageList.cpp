#include "ImageList.h"

#include <QImage>

namespace calvora::platform {

QIcon ImageList::icon(int normal, int disabled) const
{
    QIcon icon;
    icon.addPixmap(picture(normal), QIcon::Normal);
    icon.addPixmap(picture(disabled), QIcon::Disabled);
    return icon;
}

QPixmap ImageList::greyed(const QPixmap &picture)
{
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            // A light grey of the same brightness, half as strong.
            const int grey = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace calvora::platform
