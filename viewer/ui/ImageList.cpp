#include "ImageList.h"

#include "viewer/core/LXA_Images.h"

namespace ui {

int TImageList::AddMasked(const QImage &picture) {
    return Append(QPixmap::fromImage(TransparentImage(picture)));
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
