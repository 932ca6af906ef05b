#include "PageLook.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <optional>

namespace display {

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor &colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

// A colour value of a declaration: a name, #hex or rgb(); for the background shorthand
// the first word that is a colour. Nothing for transparent or unknown values.
std::optional<QColor> CssColour(QString value) {
    value.remove(QStringLiteral("!important"), Qt::CaseInsensitive);
    static const QRegularExpression rgb(
        QStringLiteral(R"(rgba?\(\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+))"),
        QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = rgb.match(value); m.hasMatch())
        return QColor(qBound(0, m.captured(1).toInt(), 255), qBound(0, m.captured(2).toInt(), 255),
                      qBound(0, m.captured(3).toInt(), 255));
    for (const QString &word : value.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QColor colour = QColor::fromString(word.trimmed());
        if (colour.isValid())
            return colour.alpha() == 0 ? std::nullopt : std::optional<QColor>(colour);
    }
    return std::nullopt;
}

struct TRule {
    QString Selectors;
    QString Declarations;
};

// The style rules of a stylesheet, without comments; at-rules are skipped whole.
std::vector<TRule> StyleRules(QString css) {
    static const QRegularExpression comment(QStringLiteral(R"(/\*.*?\*/)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    css.remove(comment);
    std::vector<TRule> rules;
    qsizetype at = 0;
    while (at < css.size()) {
        const qsizetype open = css.indexOf(QLatin1Char('{'), at);
        if (open < 0)
            break;
        const QString selectors = css.mid(at, open - at).trimmed();
        qsizetype close = open + 1;
        for (int depth = 1; close < css.size() && depth > 0; ++close) {
            if (css[close] == QLatin1Char('{'))
                ++depth;
            else if (css[close] == QLatin1Char('}'))
                --depth;
        }
        if (!selectors.startsWith(QLatin1Char('@')))
            rules.push_back({selectors, css.mid(open + 1, close - open - 2)});
        at = close;
    }
    return rules;
}

}  // namespace

int ValidZoom(int percent) {
    return std::clamp(percent, std::begin(kZoomLevels)[0], std::end(kZoomLevels)[-1]);
}

int SteppedZoom(int percent, int steps) {
    int zoom = ValidZoom(percent);
    for (; steps > 0; --steps) {
        const auto *next = std::upper_bound(std::begin(kZoomLevels), std::end(kZoomLevels), zoom);
        if (next == std::end(kZoomLevels))
            break;
        zoom = *next;
    }
    for (; steps < 0; ++steps) {
        const auto *below = std::lower_bound(std::begin(kZoomLevels), std::end(kZoomLevels), zoom);
        if (below == std::begin(kZoomLevels))
            break;
        zoom = *(below - 1);
    }
    return zoom;
}

QColor DarkBackground() {
    return QColor(0x1e, 0x1f, 0x22);
}

QColor DarkText() {
    return QColor(0xe4, 0xe4, 0xe2);
}

QColor DarkLink() {
    return QColor(0x8c, 0xb8, 0xff);
}

double ContrastRatio(const QColor &a, const QColor &b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor DarkVariant(const QColor &colour, const QColor &background, double minimum) {
    const QColor hsl = colour.toHsl();
    const float hue = hsl.hslHueF() < 0 ? 0.0f : hsl.hslHueF();
    const float saturation = hsl.hslHueF() < 0 ? 0.0f : hsl.hslSaturationF();
    float lightness = 1.0f - hsl.lightnessF();
    QColor dark = QColor::fromHslF(hue, saturation, lightness).toRgb();
    while (ContrastRatio(dark, background) < minimum && lightness < 1.0f) {
        lightness = std::min(1.0f, lightness + 0.01f);
        dark = QColor::fromHslF(hue, saturation, lightness).toRgb();
    }
    return dark;
}

QColor DarkSurface(const QColor &colour) {
    const QColor hsl = colour.toHsl();
    const double hue = hsl.hslHueF() < 0 ? 0 : hsl.hslHueF();
    const double lightness = std::min(1.0 - hsl.lightnessF(), 0.22);
    return QColor::fromHslF(float(hue), hsl.hslSaturationF(), float(lightness)).toRgb();
}

QColor WithContrast(const QColor &colour, const QColor &other, double minimum) {
    const QColor hsl = colour.toHsl();
    const float hue = hsl.hslHueF() < 0 ? 0.0f : hsl.hslHueF();
    const float saturation = hsl.hslSaturationF();
    const float step = other.lightness() >= colour.lightness() ? -0.01f : 0.01f;
    float lightness = hsl.lightnessF();
    QColor moved = colour.toRgb();
    while (ContrastRatio(moved, other) < minimum && lightness > 0.0f && lightness < 1.0f) {
        lightness = std::clamp(lightness + step, 0.0f, 1.0f);
        moved = QColor::fromHslF(hue, saturation, lightness).toRgb();
    }
    return moved;
}

QString ScaledStyleSheet(const QString &css, double factor) {
    // A number directly followed by px or pt, not part of a word, a name or a colour.
    static const QRegularExpression length(QStringLiteral(R"((?<![\w.#])(\d*\.?\d+)(px|pt)\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString scaled;
    scaled.reserve(css.size());
    qsizetype at = 0;
    // Only inside declaration blocks: selectors are left as they are.
    while (at < css.size()) {
        const qsizetype open = css.indexOf(QLatin1Char('{'), at);
        const qsizetype close = open < 0 ? -1 : css.indexOf(QLatin1Char('}'), open);
        if (open < 0 || close < 0) {
            scaled += css.mid(at);
            break;
        }
        scaled += css.mid(at, open + 1 - at);
        const QString block = css.mid(open + 1, close - open - 1);
        qsizetype copied = 0;
        for (auto it = length.globalMatch(block); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            scaled += block.mid(copied, m.capturedStart() - copied);
            const double value = m.captured(1).toDouble() * factor;
            if (m.captured(2).compare(QLatin1String("px"), Qt::CaseInsensitive) == 0) {
                // Whole pixels, and a line that was there stays visible.
                const long pixels = std::lround(value);
                scaled += QString::number(pixels == 0 && value > 0 ? 1 : pixels);
            } else {
                scaled += QString::number(value, 'g', 4);
            }
            scaled += m.captured(2);
            copied = m.capturedEnd();
        }
        scaled += block.mid(copied);
        scaled += QLatin1Char('}');
        at = close + 1;
    }
    return scaled;
}

QString DarkLayer(const QString &bookCss) {
    const QColor background = DarkBackground();
    QString layer =
        QStringLiteral("\nbody { color: %1; background-color: %2; }\na { color: %3; }\n")
            .arg(DarkText().name(), background.name(), DarkLink().name());
    for (const TRule &rule : StyleRules(bookCss)) {
        QString colours;
        for (const QString &declaration :
             rule.Declarations.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
            if (colon < 0)
                continue;
            const QString property = declaration.left(colon).trimmed().toLower();
            const std::optional<QColor> colour = CssColour(declaration.mid(colon + 1));
            if (!colour)
                continue;
            if (property == QLatin1String("color"))
                colours += QStringLiteral(" color: %1;")
                               .arg(DarkVariant(*colour, background, kDarkTextContrast).name());
            else if (property == QLatin1String("background-color") ||
                     property == QLatin1String("background"))
                colours +=
                    QStringLiteral(" background-color: %1;").arg(DarkSurface(*colour).name());
        }
        if (!colours.isEmpty())
            layer += rule.Selectors + QStringLiteral(" {") + colours + QStringLiteral(" }\n");
    }
    return layer;
}

QString StyleSheetWithLook(const QString &bookCss, const TPageLook &look) {
    QString sheet =
        look.ZoomPercent == kNormalZoom ? bookCss : ScaledStyleSheet(bookCss, look.ZoomFactor());
    if (look.Dark)
        sheet += DarkLayer(bookCss);
    return sheet;
}

}  // namespace display
