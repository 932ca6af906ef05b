#include "BlockHeader.h"

#include <QKeyEvent>

#include "viewer/ui/Expander.h"

namespace ui {

TBlockHeader::TBlockHeader(bool dark, QWidget *parent) : QToolButton(parent) {
    setObjectName(QStringLiteral("btnBlockHeader"));
    // Read as an expander: a button, expanded while checked, told when that changes.
    MarkAsExpander(this);
    setChecked(true);
    setAutoRaise(true);
    setFocusPolicy(Qt::StrongFocus);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    SetDark(dark);
    connect(this, &QToolButton::toggled, this, [this] { ShowState(); });
}

void TBlockHeader::SetBooks(const QIcon &icon, const QStringList &names) {
    m_names = names;
    setIcon(icon);
    ShowState();
}

void TBlockHeader::SetDark(bool dark) {
    if (!styleSheet().isEmpty() && property("tkDark").toBool() == dark)
        return;  // a style sheet costs its parsing and a new style for the button
    setProperty("tkDark", dark);
    // A band of its own colours, the same folded or not, that the page's look can rely on;
    // the focus shows as a frame, since the band has no other.
    const QString band = dark ? QStringLiteral("#2c323a") : QStringLiteral("#e8e8e8");
    const QString hover = dark ? QStringLiteral("#38404a") : QStringLiteral("#dcdcdc");
    const QString text = dark ? QStringLiteral("#e6e6e6") : QStringLiteral("#000000");
    const QString focus = dark ? QStringLiteral("#8ab4f8") : QStringLiteral("#1a56c4");
    setStyleSheet(QStringLiteral("QToolButton { text-align: left; font-weight: bold; padding: 2px; "
                                 "border: 1px solid %1; background: %1; color: %3; }"
                                 "QToolButton:hover { background: %2; }"
                                 "QToolButton:focus { border: 1px solid %4; }")
                      .arg(band, hover, text, focus));
}

void TBlockHeader::SetExpanded(bool expanded) {
    setChecked(expanded);
}

void TBlockHeader::ShowState() {
    const QString names = m_names.join(QStringLiteral(" en "));
    setText((Expanded() ? QStringLiteral("\u25BE ") : QStringLiteral("\u25B8 ")) + names);
    setAccessibleName(QStringLiteral("Woordenboek %1").arg(names));
    setAccessibleDescription(Expanded() ? QStringLiteral("Uitgevouwen; Enter of spatie vouwt de "
                                                         "artikelen van dit woordenboek in")
                                        : QStringLiteral("Ingevouwen; Enter of spatie toont de "
                                                         "artikelen van dit woordenboek"));
    setToolTip(Expanded() ? QStringLiteral("Vouw in") : QStringLiteral("Vouw uit"));
}

void TBlockHeader::keyPressEvent(QKeyEvent *event) {
    // Alt+Up and Alt+Down are the page's, not the button's arrow keys.
    if (event->modifiers() == Qt::AltModifier &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        event->ignore();
        return;
    }
    // Space is the button's own; Enter folds as well.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QToolButton::keyPressEvent(event);
}

}  // namespace ui
