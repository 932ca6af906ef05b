// Where the display finds the files a result page refers to: the stylesheet named by
// an absolute path in the page, and pictures named relative to the data folder.
#pragma once

#include <QCache>
#include <QImage>
#include <QString>
#include <QUrl>
#include <QVariant>

namespace display {

// The local file a page reference names. Absolute paths stay as they are; relative
// ones are taken inside baseFolder.
QString ResolvePageReference(const QUrl &reference, const QString &baseFolder);

// Reads a stylesheet file as text; a null QVariant when it is missing or unreadable,
// so that the page is shown without it.
QVariant ReadStyleSheet(const QString &path);

// Decoded pictures kept between pages, so consecutive pages that share a picture do
// not decode it again.
class TImageCache {
  public:
    explicit TImageCache(int capacity) : m_images(capacity) {}

    // The picture in this file, decoded once; a null QVariant when it cannot be read.
    QVariant Load(const QString &path);
    int Count() const { return int(m_images.count()); }
    int Capacity() const { return int(m_images.maxCost()); }

  private:
    QCache<QString, QImage> m_images;
};

}  // namespace display
