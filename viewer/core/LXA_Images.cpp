#include "viewer/core/LXA_Images.h"

#include <QImageReader>
#include <vector>

#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/Screen.h"

namespace {

[[noreturn]] void Unreadable(const std::string &path, const QImageReader &reader) {
    throw EGeneral(
        Format("Cannot load picture '%s': %s", {path, reader.errorString().toStdString()}));
}

}  // namespace

QImage LoadPicture(const std::string &path) {
    QImageReader reader(QString::fromStdString(path));
    QImage picture = reader.read();
    if (picture.isNull())
        Unreadable(path, reader);
    return picture;
}

void LoadIconFile(QIcon &icon, const std::string &path) {
    QImageReader reader(QString::fromStdString(path));
    std::vector<QImage> images;
    // An icon file holds one image per size; read them all.
    do {
        QImage image = reader.read();
        if (image.isNull())
            break;
        images.push_back(std::move(image));
    } while (reader.jumpToNextImage());
    if (images.empty())
        Unreadable(path, reader);
    if (Screen().MakeIcon)
        icon = Screen().MakeIcon(images);
}

QImage TransparentImage(const QImage &picture) {
    if (picture.isNull())
        return picture;
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    // Compared with its opacity, so that a picture that is transparent already keeps its
    // black where its transparent corner reads as black.
    const QRgb key =
        picture.depth() == 1 ? qRgb(255, 255, 255) : result.pixel(0, result.height() - 1);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return result;
}
