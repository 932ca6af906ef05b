#include "ImageList.h"

#include <QFileInfo>
#include <QGuiApplication>

#include "viewer/core/LXA_Images.h"

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
