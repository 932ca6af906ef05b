#include "BookPicture.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>

namespace ui {

namespace {

// The bundled pictures' transparent colour; the page never uses it.
const QRgb kKey = qRgb(255, 0, 255);

// Page colours that keep white or black initials readable at 16 pixels.
constexpr std::array<QRgb, 10> kPages = {
    qRgb(31, 94, 168), qRgb(0, 121, 107), qRgb(56, 142, 60), qRgb(175, 120, 0), qRgb(191, 54, 12),
    qRgb(173, 20, 87), qRgb(94, 53, 177), qRgb(69, 90, 100), qRgb(121, 85, 72), qRgb(0, 131, 143),
};

QRgb PageColour(const std::string &name) {
    // FNV-1a over the name in lower case: stable across runs and platforms.
    std::uint32_t hash = 2166136261u;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
        hash *= 16777619u;
    }
    return kPages[hash % kPages.size()];
}

// The first letters of the first two words; one word gives one letter, which reads better
// at this size than two cramped ones.
QString Initials(const QString &displayName, const std::string &name) {
    QString initials;
    bool inWord = false;
    for (const QChar c : displayName) {
        const bool wordChar = c.isLetterOrNumber();
        if (wordChar && !inWord)
            initials += c.toUpper();
        inWord = wordChar;
        if (initials.size() == 2)
            break;
    }
    if (initials.isEmpty() && !name.empty())
        initials = QString(QChar(name[0])).toUpper();
    return initials;
}

}  // namespace

QImage InitialsPicture(const std::string &name, const QString &displayName, int size) {
    QImage picture(size, size, QImage::Format_RGB32);
    picture.fill(kKey);
    const qreal unit = size / 16.0;
    const QRgb page = PageColour(name);
    QPainter painter(&picture);
    // The page's edge is drawn without smoothing: a blend with the key colour would stay
    // as a pink fringe once the key is made transparent.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF sheet(unit, unit, 14 * unit, 14 * unit);
    painter.fillRect(sheet, QColor(page));
    painter.setPen(QColor(page).darker(140));
    painter.drawRect(sheet.adjusted(0, 0, -1, -1));
    // Round the corners by a pixel, as the key colour.
    for (const QPointF corner :
         {sheet.topLeft(), sheet.topRight() - QPointF(1, 0), sheet.bottomLeft() - QPointF(0, 1),
          sheet.bottomRight() - QPointF(1, 1)})
        painter.fillRect(QRectF(corner, QSizeF(unit, unit)), QColor(kKey));

    const QString initials = Initials(displayName, name);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(qRound((initials.size() > 1 ? 8 : 11) * unit));
    font.setStyleStrategy(QFont::PreferAntialias);
    painter.setFont(font);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(qGray(page) > 150 ? QColor(20, 20, 20) : QColor(Qt::white));
    painter.drawText(sheet, Qt::AlignCenter, initials);
    painter.end();
    return picture;
}

QImage WithServerMark(const QImage &picture) {
    QImage marked = picture.convertToFormat(QImage::Format_RGB32);
    const int size = marked.width();
    const int disc = std::max(5, size * 7 / 16);
    QPainter painter(&marked);
    // Without smoothing, for the same reason as the page's edge: the key colour stays clean.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect outer(size - disc, size - disc, disc, disc);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(outer);
    painter.setBrush(QColor(31, 95, 191));
    painter.drawEllipse(outer.adjusted(1, 1, -1, -1));
    painter.end();
    return marked;
}

QImage GreyedPicture(const QImage &picture) {
    QImage grey = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb key = grey.pixel(0, grey.height() - 1);
    for (int y = 0; y < grey.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            if (line[x] == key)
                continue;
            const int level = 128 + qGray(line[x]) / 2;
            line[x] = qRgb(level, level, level);
        }
    }
    return grey;
}

}  // namespace ui
