#include "ImageList.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace ui {

QString DoubleSizeFile(const QString &file) {
    const QFileInfo info(file);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.png");
}

void AddDoubleSize(QIcon &icon, const QString &file, QIcon::Mode mode) {
    if (qApp == nullptr || qApp->devicePixelRatio() <= 1.0)
        return;
    const QPixmap large(DoubleSizeFile(file));
    if (!large.isNull())
        icon.addPixmap(large, mode);
}

QImage WithTransparentKey(const QImage &picture) {
    if (picture.isNull())
        return {};
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

int TImageList::AddMasked(const QImage &picture) {
    return Append(QPixmap::fromImage(WithTransparentKey(picture)));
}

int TImageList::AddIcon(const QIcon &icon) {
    return Append(icon.isNull() ? QPixmap() : icon.pixmap(kImageSize, kImageSize));
}

int TImageList::Append(QPixmap picture) {
    if (picture.isNull()) {
        picture = QPixmap(kImageSize, kImageSize);
        picture.fill(Qt::transparent);
    } else if (picture.width() != kImageSize || picture.height() != kImageSize) {
        picture =
            picture.scaled(kImageSize, kImageSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    m_pictures.push_back(std::move(picture));
    return Count() - 1;
}

}  // namespace ui
