// Draws the product's own pictures: toolbar pictures and icons of the bundled
// dictionaries, the main window's command pictures, the about-box logo and the desktop
// icon of the package. Pictures of the windows come at twice the size as well ("@2x"),
// drawn from the same shapes, for screens of twice the density.
// Run once after a change and commit what it writes:
//   drawimgs <imgs folder> <viewer/ui/res folder> [<packaging/icons folder>]
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

// Toolbar pictures are 24-bit BMPs; their bottom-left pixel holds this colour, which
// the program treats as transparent.
const QColor kKey(255, 0, 255);

QImage Blank(int w, int h, const QColor &fill) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(fill);
    return image;
}

void DutchStripes(QPainter &p, const QRectF &r) {
    const qreal h = r.height() / 3;
    p.fillRect(QRectF(r.left(), r.top(), r.width(), h), QColor(174, 28, 40));
    p.fillRect(QRectF(r.left(), r.top() + h, r.width(), h), Qt::white);
    p.fillRect(QRectF(r.left(), r.top() + 2 * h, r.width(), r.height() - 2 * h),
               QColor(33, 70, 139));
}

void EnglishCross(QPainter &p, const QRectF &r) {
    p.fillRect(r, Qt::white);
    const qreal t = r.width() / 5;
    p.fillRect(QRectF(r.center().x() - t / 2, r.top(), t, r.height()), QColor(200, 16, 46));
    p.fillRect(QRectF(r.left(), r.center().y() - t / 2, r.width(), t), QColor(200, 16, 46));
}

void GermanStripes(QPainter &p, const QRectF &r) {
    const qreal h = r.height() / 3;
    p.fillRect(QRectF(r.left(), r.top(), r.width(), h), QColor(20, 20, 20));
    p.fillRect(QRectF(r.left(), r.top() + h, r.width(), h), QColor(221, 0, 0));
    p.fillRect(QRectF(r.left(), r.top() + 2 * h, r.width(), r.height() - 2 * h),
               QColor(255, 206, 0));
}

void FrenchStripes(QPainter &p, const QRectF &r) {
    const qreal w = r.width() / 3;
    p.fillRect(QRectF(r.left(), r.top(), w, r.height()), QColor(0, 35, 149));
    p.fillRect(QRectF(r.left() + w, r.top(), w, r.height()), Qt::white);
    p.fillRect(QRectF(r.left() + 2 * w, r.top(), r.width() - 2 * w, r.height()),
               QColor(237, 41, 57));
}

void PolishHalves(QPainter &p, const QRectF &r) {
    const qreal h = r.height() / 2;
    p.fillRect(QRectF(r.left(), r.top(), r.width(), h), Qt::white);
    p.fillRect(QRectF(r.left(), r.top() + h, r.width(), r.height() - h), QColor(220, 20, 60));
}

// A written page: the explanation in a book that explains its own language.
void TextPage(QPainter &p, const QRectF &r) {
    p.fillRect(r, QColor(250, 247, 235));
    const qreal s = r.width() / 10;
    p.setPen(QPen(QColor(90, 90, 110), s * 0.8));
    for (int line = 0; line < 3; ++line) {
        const qreal y = r.top() + r.height() * (line + 1) / 4.0;
        const qreal end = line == 2 ? r.left() + r.width() * 0.6 : r.right() - 2 * s;
        p.drawLine(QPointF(r.left() + 2 * s, y), QPointF(end, y));
    }
}

enum class Card { Dutch, English, German, French, Polish, Text };

void DrawCard(QPainter &p, const QRectF &r, Card card) {
    switch (card) {
        case Card::Dutch:
            DutchStripes(p, r);
            break;
        case Card::English:
            EnglishCross(p, r);
            break;
        case Card::German:
            GermanStripes(p, r);
            break;
        case Card::French:
            FrenchStripes(p, r);
            break;
        case Card::Polish:
            PolishHalves(p, r);
            break;
        case Card::Text:
            TextPage(p, r);
            break;
    }
}

// Two overlapping cards: the source language behind, the target language in front.
QImage BookPicture(int size, Card back, Card front, const QColor &background) {
    QImage image = Blank(size, size, background);
    QPainter p(&image);
    const qreal s = size / 16.0;
    const QRectF backRect(1 * s, 1 * s, 10 * s, 8 * s), frontRect(5 * s, 7 * s, 10 * s, 8 * s);
    for (const auto &[rect, card] : {std::pair{backRect, back}, std::pair{frontRect, front}}) {
        DrawCard(p, rect, card);
        p.setPen(QPen(QColor(40, 40, 40), s));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(s / 2, s / 2, -s / 2, -s / 2));
    }
    return image;
}

QImage Greyed(const QImage &picture) {
    QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = picture.pixel(0, picture.height() - 1);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb c = grey.pixel(x, y);
            if (c == key)
                continue;
            const int v = 128 + qGray(c) / 2;
            grey.setPixel(x, y, qRgba(v, v, v, qAlpha(c)));
        }
    return grey;
}

// A 16 x 16 picture drawn `scale` times as large.
QImage Canvas(int scale) {
    return Blank(16 * scale, 16 * scale, Qt::transparent);
}

QImage NewWindowPicture(int scale) {
    QImage image = Canvas(scale);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(30, 60, 120));
    p.setBrush(Qt::white);
    p.drawRect(1, 3, 11, 10);
    p.fillRect(2, 4, 10, 2, QColor(50, 100, 190));
    p.setPen(QPen(QColor(0, 140, 0), 2));
    p.drawLine(12, 7, 12, 15);
    p.drawLine(8, 11, 16, 11);
    return image;
}

QImage PronouncePicture(int scale) {
    QImage image = Canvas(scale);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath speaker;
    speaker.moveTo(1.5, 6);
    speaker.lineTo(4.5, 6);
    speaker.lineTo(8.5, 2.5);
    speaker.lineTo(8.5, 13.5);
    speaker.lineTo(4.5, 10);
    speaker.lineTo(1.5, 10);
    speaker.closeSubpath();
    p.setPen(QColor(40, 40, 40));
    p.setBrush(QColor(90, 90, 90));
    p.drawPath(speaker);
    p.setPen(QPen(QColor(30, 90, 200), 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 5, 5, 6), -50 * 16, 100 * 16);
    p.drawArc(QRectF(6, 2.5, 9, 11), -55 * 16, 110 * 16);
    return image;
}

QImage HelpPicture(int scale) {
    QImage image = Canvas(scale);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(20, 60, 140));
    p.setBrush(QColor(50, 110, 210));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    return image;
}

QImage FindPicture(bool enabled, int scale) {
    QImage image = Canvas(scale);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor rim = enabled ? QColor(40, 40, 40) : QColor(150, 150, 150);
    const QColor glass = enabled ? QColor(170, 210, 250) : QColor(225, 225, 225);
    p.setPen(QPen(enabled ? QColor(120, 70, 20) : QColor(160, 160, 160), 3, Qt::SolidLine,
                  Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14, 14));
    p.setPen(QPen(rim, 1.5));
    p.setBrush(glass);
    p.drawEllipse(QRectF(1.5, 1.5, 9.5, 9.5));
    return image;
}

// Back (pointing left) or forward: a broad arrow, blue as the help picture.
QImage ArrowPicture(bool forward, int scale) {
    QImage image = Canvas(scale);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    if (forward) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath arrow;
    arrow.moveTo(1.5, 8);
    arrow.lineTo(7.5, 2);
    arrow.lineTo(7.5, 5.5);
    arrow.lineTo(14.5, 5.5);
    arrow.lineTo(14.5, 10.5);
    arrow.lineTo(7.5, 10.5);
    arrow.lineTo(7.5, 14);
    arrow.closeSubpath();
    QLinearGradient fill(0, 2, 0, 14);
    fill.setColorAt(0, QColor(90, 150, 235));
    fill.setColorAt(1, QColor(40, 95, 195));
    p.setPen(QPen(QColor(20, 60, 140), 1));
    p.setBrush(fill);
    p.drawPath(arrow);
    return image;
}

// Every book at once: three of the books' cards fanned out, one behind the other.
QImage AllBooksPicture(int scale) {
    QImage image = Canvas(scale);
    QPainter p(&image);
    p.scale(scale, scale);
    const Card cards[] = {Card::German, Card::English, Card::Dutch};
    for (int i = 0; i < 3; ++i) {
        const QRectF rect(1 + 2.5 * i, 1 + 3 * i, 9, 7);
        DrawCard(p, rect, cards[i]);
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    return image;
}

// The search field's drop-down arrow: a small dark triangle pointing down.
QImage RecentPicture(int scale) {
    QImage image = Canvas(scale);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath down;
    down.moveTo(3.5, 6);
    down.lineTo(12.5, 6);
    down.lineTo(8, 11);
    down.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 70));
    p.drawPath(down);
    return image;
}

QImage Logo(int scale) {
    QImage image = Blank(350 * scale, 95 * scale, Qt::white);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 350, 95);
    sky.setColorAt(0, QColor(22, 58, 112));
    sky.setColorAt(1, QColor(46, 124, 170));
    p.fillRect(QRectF(0, 0, 350, 95), sky);
    // An open book: two pages bending away from the spine.
    for (int side : {-1, 1}) {
        QPainterPath page;
        page.moveTo(62, 78);
        page.cubicTo(62 + side * 14, 70, 62 + side * 30, 72, 62 + side * 42, 76);
        page.lineTo(62 + side * 42, 26);
        page.cubicTo(62 + side * 30, 22, 62 + side * 14, 20, 62, 28);
        page.closeSubpath();
        p.setPen(QPen(QColor(230, 230, 230), 1.5));
        p.setBrush(QColor(250, 247, 235));
        p.drawPath(page);
        p.setPen(QPen(QColor(160, 170, 185), 1.2));
        for (int line = 0; line < 5; ++line) {
            const qreal y = 36 + line * 8;
            p.drawLine(QPointF(62 + side * 8, y), QPointF(62 + side * 35, y - 1));
        }
    }
    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(118, 14, 230, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("taalkist"));
    QFont small(QStringLiteral("Liberation Sans"));
    small.setPixelSize(14);
    p.setFont(small);
    p.setPen(QColor(210, 228, 245));
    p.drawText(QRectF(120, 56, 230, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Morvelt woordenboeken"));
    return image;
}

// The program's icon on the desktop: an open book on a blue tile, as in the logo.
QImage AppIcon(int size) {
    QImage image = Blank(size, size, Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient sky(0, 0, 64, 64);
    sky.setColorAt(0, QColor(22, 58, 112));
    sky.setColorAt(1, QColor(46, 124, 170));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    for (int side : {-1, 1}) {
        QPainterPath page;
        page.moveTo(32, 52);
        page.cubicTo(32 + side * 8, 47, 32 + side * 17, 48, 32 + side * 24, 50);
        page.lineTo(32 + side * 24, 17);
        page.cubicTo(32 + side * 17, 15, 32 + side * 8, 14, 32, 19);
        page.closeSubpath();
        p.setPen(QPen(QColor(225, 225, 225), 1));
        p.setBrush(QColor(250, 247, 235));
        p.drawPath(page);
        p.setPen(QPen(QColor(150, 160, 180), 1.6));
        for (int line = 0; line < 4; ++line) {
            const qreal y = 24 + line * 6.5;
            p.drawLine(QPointF(32 + side * 5, y), QPointF(32 + side * 20, y - 1));
        }
    }
    return image;
}

bool Save(const QImage &image, const QString &path, const char *format) {
    const QImage out =
        QByteArray(format) == "bmp" ? image.convertToFormat(QImage::Format_RGB888) : image;
    if (out.save(path, format))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: drawimgs <imgs folder> <ui resource folder> [<icon theme folder>]\n");
        return 2;
    }
    const QString imgs = QString::fromLocal8Bit(argv[1]), res = QString::fromLocal8Bit(argv[2]);
    bool ok = true;
    struct Book {
        const char *name;
        Card back, front;
    };
    for (const Book &book :
         {Book{"nl-en", Card::Dutch, Card::English}, Book{"en-nl", Card::English, Card::Dutch},
          Book{"nl-de", Card::Dutch, Card::German}, Book{"de-nl", Card::German, Card::Dutch},
          Book{"nl-fr", Card::Dutch, Card::French}, Book{"fr-nl", Card::French, Card::Dutch},
          Book{"nl-pl", Card::Dutch, Card::Polish}, Book{"pl-nl", Card::Polish, Card::Dutch},
          Book{"en", Card::English, Card::Text}}) {
        const QString base = imgs + QLatin1Char('/') + QLatin1String(book.name);
        const QImage picture = BookPicture(16, book.back, book.front, kKey);
        ok &= Save(picture, base + QStringLiteral(".bmp"), "bmp");
        ok &= Save(Greyed(picture), base + QStringLiteral("_off.bmp"), "bmp");
        const QImage large = BookPicture(32, book.back, book.front, Qt::transparent);
        ok &= Save(large, base + QStringLiteral(".ico"), "ico");
        // The toolbar picture at twice the size, beside the one the catalogue names.
        ok &= Save(large, base + QStringLiteral("@2x.png"), "png");
        ok &= Save(Greyed(large), base + QStringLiteral("_off@2x.png"), "png");
    }
    struct Command {
        const char *name;
        QImage (*draw)(int scale);
    };
    for (const Command &command :
         {Command{"newwindow", NewWindowPicture}, Command{"pronounce", PronouncePicture},
          Command{"help", HelpPicture},
          Command{"find", [](int scale) { return FindPicture(true, scale); }},
          Command{"find_off", [](int scale) { return FindPicture(false, scale); }},
          Command{"back", [](int scale) { return ArrowPicture(false, scale); }},
          Command{"forward", [](int scale) { return ArrowPicture(true, scale); }},
          Command{"recent", RecentPicture}, Command{"allbooks", AllBooksPicture}}) {
        const QString base = res + QLatin1Char('/') + QLatin1String(command.name);
        ok &= Save(command.draw(1), base + QStringLiteral(".png"), "png");
        ok &= Save(command.draw(2), base + QStringLiteral("@2x.png"), "png");
    }
    ok &= Save(Logo(1), res + QStringLiteral("/logo.bmp"), "bmp");
    ok &= Save(Logo(2), res + QStringLiteral("/logo@2x.png"), "png");
    if (argc == 4) {
        const QString theme = QString::fromLocal8Bit(argv[3]);
        for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString folder = theme + QStringLiteral("/%1x%1/apps").arg(size);
            QDir().mkpath(folder);
            ok &= Save(AppIcon(size), folder + QStringLiteral("/taalkist.png"), "png");
        }
    }
    return ok ? 0 : 1;
}
