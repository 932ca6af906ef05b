#include "HistoryPopup.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>

namespace ui {

namespace {
constexpr int kVisibleRows = 12;
}  // namespace

THistoryPopup::THistoryPopup(QLineEdit *field) : QListWidget(field), m_field(field) {
    setObjectName(QStringLiteral("lstSearchHistory"));
    setWindowFlags(Qt::Popup);
    setFocusPolicy(Qt::StrongFocus);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QListWidget::itemClicked, this, &THistoryPopup::Choose);
}

void THistoryPopup::Open(const std::vector<std::string> &words) {
    clear();
    if (words.empty())
        return;
    for (const std::string &word : words)
        addItem(QString::fromStdString(word));
    setCurrentRow(0);
    const int rows = std::min(count(), kVisibleRows);
    const int height = rows * sizeHintForRow(0) + 2 * frameWidth();
    QPoint below = m_field->mapToGlobal(QPoint(0, m_field->height()));
    // Above the field when the screen has no room below it.
    if (const QScreen *screen = m_field->screen();
        screen != nullptr && below.y() + height > screen->availableGeometry().bottom())
        below.ry() -= m_field->height() + height;
    setGeometry(QRect(below, QSize(m_field->width(), height)));
    show();
    setFocus(Qt::PopupFocusReason);
}

void THistoryPopup::Choose(QListWidgetItem *item) {
    if (item == nullptr)
        return;
    const QString word = item->text();
    hide();
    emit WordChosen(word);
}

void THistoryPopup::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Choose(currentItem());
            return;
        case Qt::Key_Escape:
        case Qt::Key_F4:
            hide();
            return;
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
            return;  // a modifier on its own is no typing yet
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (event->key() == Qt::Key_Up && event->modifiers() & Qt::AltModifier) {
                hide();
                return;
            }
            QListWidget::keyPressEvent(event);
            return;
        default:
            // Anything else is typing: it goes on in the field, with the list closed.
            hide();
            QApplication::sendEvent(m_field, event);
    }
}

}  // namespace ui
