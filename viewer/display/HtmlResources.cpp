#include "HtmlResources.h"

#include <QDir>
#include <QFile>
#include <QImageReader>

#include "platform/cp1252.h"

namespace display {

QString ResolvePageReference(const QUrl &reference, const QString &baseFolder) {
    QString path;
    if (reference.isLocalFile()) {
        path = reference.toLocalFile();
    } else if (reference.scheme().size() == 1) {
        // A drive-letter path such as C:\dir\file.css read as a URL with scheme "c".
        path = reference.toString(QUrl::FullyDecoded);
    } else if (reference.scheme().isEmpty()) {
        path = reference.path(QUrl::FullyDecoded);
        // The page names its stylesheet by an absolute file name, whose folders may hold
        // '?' or '#': those are part of the name, not a query or fragment.
        if (QDir::isAbsolutePath(path)) {
            if (reference.hasQuery())
                path += QLatin1Char('?') + reference.query(QUrl::FullyDecoded);
            if (reference.hasFragment())
                path += QLatin1Char('#') + reference.fragment(QUrl::FullyDecoded);
        }
    } else {
        return {};  // web and other remote references are never fetched
    }
    if (path.isEmpty())
        return {};
    if (QDir::isAbsolutePath(path) || baseFolder.isEmpty())
        return QDir::cleanPath(path);
    return QDir::cleanPath(baseFolder + QLatin1Char('/') + path);
}

QVariant ReadStyleSheet(const QString &path) {
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {};
    // Stylesheets are product data in the same 8-bit code page as the pages.
    return QString::fromStdString(
        platform::Cp1252ToUtf8(std::string_view(bytes.constData(), std::size_t(bytes.size()))));
}

QVariant TImageCache::Load(const QString &path) {
    if (path.isEmpty())
        return {};
    if (const QImage *cached = m_images.object(path))
        return *cached;
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        return {};
    m_images.insert(path, new QImage(image), 1);
    return image;
}

}  // namespace display
