// A list of 16 x 16 pictures addressed by index, like a toolbar's image list. Pictures
// added "masked" leave their transparent colour out (TransparentImage: the bottom-left
// pixel's colour, white in a two-colour picture).
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <vector>

namespace ui {

inline constexpr int kImageSize = 16;

// The file's version of twice the size ("dir/name@2x.png" for "dir/name.bmp").
QString DoubleSizeFile(const QString &file);
// Adds to the icon, for this mode, the picture of twice the size that lies beside the
// file, so that the icon stays sharp on screens of twice the density. Only read on such
// screens; nothing when there is no such picture.
void AddDoubleSize(QIcon &icon, const QString &file, QIcon::Mode mode = QIcon::Normal);

class TImageList {
  public:
    // Each Add returns the index of the added picture; every call adds exactly one,
    // so that lists filled side by side keep their indexes aligned.
    int AddMasked(const QImage &picture);
    // An icon's 16 x 16 look; an empty icon adds an empty (transparent) picture.
    int AddIcon(const QIcon &icon);
    int Count() const { return int(m_pictures.size()); }
    const QPixmap &At(int index) const { return m_pictures.at(std::size_t(index)); }

  private:
    int Append(QPixmap picture);
    std::vector<QPixmap> m_pictures;
};

}  // namespace ui
