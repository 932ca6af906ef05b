#include "TypeAhead.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStringListModel>

#include "viewer/display/PageLook.h"
#include "viewer/ui/LiveStatus.h"

namespace ui {

namespace {

constexpr int kVisibleWords = 12;
// Long enough for a typed letter to be echoed first, short enough to follow the typing.
constexpr int kSettleMs = 400;
// Normal text reads at 4.5:1 on its background at least; some styles draw the highlight
// as a gradient up to a tenth lighter than its colour, so the colour itself reads at 5:1.
constexpr double kHighlightContrast = 5.0;

// The highlight of the chosen headword darkened (under light text) or lightened (under
// dark text) until the text reads on it; a highlight that reads already stays as it is.
QPalette ReadableHighlight(QPalette colours) {
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::Highlight,
                         display::WithContrast(colours.color(group, QPalette::Highlight),
                                               colours.color(group, QPalette::HighlightedText),
                                               kHighlightContrast));
    return colours;
}

}  // namespace

TTypeAhead::TTypeAhead(QLineEdit *field, TWords words, TChoose choose)
    : QObject(field),
      m_field(field),
      m_words(std::move(words)),
      m_choose(std::move(choose)),
      m_model(new QStringListModel(this)),
      m_completer(new QCompleter(m_model, this)),
      m_spoken(TLiveStatus::Unseen(field->parentWidget() != nullptr ? field->parentWidget() : field,
                                   "lblTypeAheadSpoken", kSettleMs)) {
    // The list holds exactly what the book gives, in its order: the completer filters and
    // sorts nothing itself.
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setModelSorting(QCompleter::UnsortedModel);
    m_completer->setMaxVisibleItems(kVisibleWords);
    m_completer->setWrapAround(false);
    m_completer->setWidget(field);
    connect(m_completer, qOverload<const QString &>(&QCompleter::activated), this,
            [this](const QString &word) { m_choose(word); });
    connect(m_completer, qOverload<const QModelIndex &>(&QCompleter::highlighted), this,
            &TTypeAhead::AnnounceChosen);
    // Typing opens and updates the list; text put in the field by a search does not.
    connect(field, &QLineEdit::textEdited, this, &TTypeAhead::Update);
}

void TTypeAhead::Update(const QString &typed) {
    Show(m_field->hasFocus() ? m_words(typed) : QStringList());
}

void TTypeAhead::Answer(const QString &typed, const QStringList &words) {
    if (m_field->hasFocus() && m_field->text() == typed)
        Show(words);
}

void TTypeAhead::Show(const QStringList &words) {
    m_model->setStringList(words);
    if (words.isEmpty()) {
        Hide();
        m_spoken->Announce(QString());  // a count still waiting to be told is stale now
        return;
    }
    // The list is made when first needed: a window that is never typed in spends nothing.
    if (m_popup == nullptr)
        MakePopup();
    // One list under the field at a time: another one (the history) closes.
    QWidget *other = QApplication::activePopupWidget();
    if (other != nullptr && other != m_popup)
        other->close();
    m_completer->complete();
    // Nothing is chosen until the user moves into the list.
    m_popup->setCurrentIndex(QModelIndex());
    m_spoken->Announce(words.size() == 1
                           ? QStringLiteral("1 trefwoord in de lijst: %1.").arg(words.front())
                           : QStringLiteral("%1 trefwoorden in de lijst, het eerste is %2.")
                                 .arg(words.size())
                                 .arg(words.front()));
}

void TTypeAhead::MakePopup() {
    m_popup = m_completer->popup();
    m_popup->setObjectName(QStringLiteral("lstTypeAhead"));
    m_popup->setAccessibleName(QStringLiteral("Trefwoorden die zo beginnen"));
    m_popup->setPalette(ReadableHighlight(m_popup->palette()));
    ApplyFont();
    // Installed after the completer's own filter, so it sees the list's keys first.
    m_popup->installEventFilter(this);
}

void TTypeAhead::SetTextScale(double scale) {
    m_scale = scale;
    if (m_popup != nullptr)
        ApplyFont();
}

void TTypeAhead::ApplyFont() {
    // The headwords read as what is typed above them, at the page's zoom. In points, so
    // that they grow with the system's font size (its dots per inch) as the page does;
    // the field's pixel size is its size at 96 dots per inch.
    QFont font = m_field->font();
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96 / 72;
    font.setPointSizeF(pixels * 72 / 96 * m_scale);
    m_popup->setFont(font);
}

void TTypeAhead::AnnounceChosen(const QModelIndex &chosen) {
    if (chosen.isValid())
        m_spoken->Announce(QStringLiteral("%1, %2 van %3")
                               .arg(chosen.data().toString())
                               .arg(chosen.row() + 1)
                               .arg(m_model->rowCount()));
}

QString TTypeAhead::Announced() const {
    return m_spoken->Label()->text();
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
