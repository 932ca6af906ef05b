#include "viewer/core/LXA_Images.h"

#include <QGuiApplication>
#include <QImageReader>

#include "viewer/core/LXA_Exceptions.h"

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
    int loaded = 0;
    // An icon file holds one image per size; read them all.
    do {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        // Pixmaps need a GUI application; a command-line tool only checks the file.
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
            icon.addPixmap(QPixmap::fromImage(image));
        ++loaded;
    } while (reader.jumpToNextImage());
    if (loaded == 0)
        Unreadable(path, reader);
}

QImage TransparentImage(const QImage &picture) {
    if (picture.isNull())
        return picture;
    const QRgb key =
        picture.depth() == 1 ? qRgb(255, 255, 255) : picture.pixel(0, picture.height() - 1);
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == (key & 0x00FFFFFF))
                line[x] = 0;
    }
    return result;
}

QPixmap TransparentPixmap(const QImage &picture) {
    return QPixmap::fromImage(TransparentImage(picture));
}
