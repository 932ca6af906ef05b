#include "ImageList.h"

namespace ui {

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
