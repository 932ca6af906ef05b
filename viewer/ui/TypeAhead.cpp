#include "TypeAhead.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringListModel>

namespace ui {

namespace {
constexpr int kVisibleWords = 12;
}  // namespace

TTypeAhead::TTypeAhead(QLineEdit *field, TWords words, TChoose choose)
    : QObject(field),
      m_field(field),
      m_words(std::move(words)),
      m_choose(std::move(choose)),
      m_model(new QStringListModel(this)),
      m_completer(new QCompleter(m_model, this)) {
    // The list holds exactly what the book gives, in its order: the completer filters and
    // sorts nothing itself.
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setModelSorting(QCompleter::UnsortedModel);
    m_completer->setMaxVisibleItems(kVisibleWords);
    m_completer->setWrapAround(false);
    m_completer->setWidget(field);
    connect(m_completer, qOverload<const QString &>(&QCompleter::activated), this,
            [this](const QString &word) { m_choose(word); });
    // Typing opens and updates the list; text put in the field by a search does not.
    connect(field, &QLineEdit::textEdited, this, &TTypeAhead::Update);
}

void TTypeAhead::Update(const QString &typed) {
    const QStringList words = m_field->hasFocus() ? m_words(typed) : QStringList();
    m_model->setStringList(words);
    if (words.isEmpty()) {
        Hide();
        return;
    }
    // The list is made when first needed: a window that is never typed in spends nothing.
    if (m_popup == nullptr) {
        m_popup = m_completer->popup();
        m_popup->setObjectName(QStringLiteral("lstTypeAhead"));
        // The headwords read as what is typed above them.
        m_popup->setFont(m_field->font());
        // Installed after the completer's own filter, so it sees the list's keys first.
        m_popup->installEventFilter(this);
    }
    // One list under the field at a time: another one (the history) closes.
    QWidget *other = QApplication::activePopupWidget();
    if (other != nullptr && other != m_popup)
        other->close();
    m_completer->complete();
    // Nothing is chosen until the user moves into the list.
    m_popup->setCurrentIndex(QModelIndex());
}

void TTypeAhead::Hide() {
    if (m_popup != nullptr)
        m_popup->hide();
}

bool TTypeAhead::IsOpen() const {
    return m_popup != nullptr && m_popup->isVisible();
}

QAbstractItemView *TTypeAhead::Popup() const {
    return m_popup;
}

QStringList TTypeAhead::Words() const {
    return m_model->stringList();
}

bool TTypeAhead::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_popup && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QModelIndex chosen = m_popup->currentIndex();
        // Enter on a chosen headword searches it; with none chosen the field has it.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && chosen.isValid()) {
            const QString word = chosen.data().toString();
            Hide();
            m_choose(word);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ui
