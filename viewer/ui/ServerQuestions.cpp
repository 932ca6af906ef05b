#include "viewer/ui/ServerQuestions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <utility>

#include "books/user_books.h"
#include "viewer/finder/BookGroups.h"

namespace ui {

namespace {

TDirectionPrompt &DirectionPrompt() {
    static TDirectionPrompt prompt;
    return prompt;
}

TTimeoutPrompt &TimeoutPrompt() {
    static TTimeoutPrompt prompt;
    return prompt;
}

int IndexOf(const QComboBox &box, const char *code) {
    return box.findData(QString::fromLatin1(code));
}

}  // namespace

TDirectionDialog::TDirectionDialog(QWidget *parent, const TDirectionQuestion &question)
    : QDialog(parent), m_source(new QComboBox(this)), m_target(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("Richting van het woordenboek"));
    setAccessibleName(windowTitle());
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(
        QStringLiteral("De server zegt niet uit welke taal '%1' vertaalt. Met de richting komt "
                       "het woordenboek in de groep van zijn taal.")
            .arg(question.DisplayName),
        this);
    text->setWordWrap(true);
    text->setMinimumWidth(320);
    text->setTextFormat(Qt::PlainText);
    layout->addWidget(text);

    const auto languages = KnownLanguages();
    m_target->addItem(QStringLiteral("Geen: verklaart de brontaal zelf"), QString());
    for (const auto &[code, name] : languages) {
        m_source->addItem(QString::fromStdString(name), QString::fromStdString(code));
        m_target->addItem(QString::fromStdString(name), QString::fromStdString(code));
    }
    m_source->setCurrentIndex(std::max(IndexOf(*m_source, "nl"), 0));
    m_target->setCurrentIndex(std::max(IndexOf(*m_target, "en"), 0));
    m_source->setAccessibleName(QStringLiteral("Brontaal"));
    m_source->setAccessibleDescription(QStringLiteral("De taal van de trefwoorden"));
    m_target->setAccessibleName(QStringLiteral("Doeltaal"));
    m_target->setAccessibleDescription(
        QStringLiteral("De taal van de uitleg; Geen voor een verklarend woordenboek"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Brontaal:"), m_source);
    form->addRow(QStringLiteral("&Doeltaal:"), m_target);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *keep =
        buttons->addButton(QStringLiteral("&Opslaan"), QDialogButtonBox::AcceptRole);
    QPushButton *later = buttons->addButton(QStringLiteral("&Later"), QDialogButtonBox::RejectRole);
    keep->setDefault(true);
    later->setAccessibleDescription(QStringLiteral("Het woordenboek blijft zonder richting"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_source->setFocus();
}

std::string TDirectionDialog::Direction() const {
    const std::string from = m_source->currentData().toString().toStdString();
    const std::string to = m_target->currentData().toString().toStdString();
    return to.empty() || to == from ? from : from + "-" + to;
}

std::optional<std::string> AskForDirection(QWidget *parent, const TDirectionQuestion &question) {
    if (DirectionPrompt())
        return DirectionPrompt()(parent, question);
    TDirectionDialog dialog(parent, question);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Direction();
}

TDirectionPrompt SetDirectionPrompt(TDirectionPrompt prompt) {
    return std::exchange(DirectionPrompt(), std::move(prompt));
}

std::optional<int> AskForServerTimeout(QWidget *parent, int current) {
    if (TimeoutPrompt())
        return TimeoutPrompt()(parent, current);
    QInputDialog ask(parent);
    ask.setWindowTitle(QStringLiteral("Wachttijd van servers"));
    ask.setLabelText(QStringLiteral("Zoveel seconden wacht het programma op het antwoord van een "
                                    "DICT-server (%1 tot %2):")
                         .arg(books::kReplyTimeoutMin)
                         .arg(books::kReplyTimeoutMax));
    ask.setInputMode(QInputDialog::IntInput);
    ask.setIntRange(books::kReplyTimeoutMin, books::kReplyTimeoutMax);
    ask.setIntValue(current);
    // The spin box has no name of its own for a screen reader.
    if (auto *seconds = ask.findChild<QSpinBox *>())
        seconds->setAccessibleName(QStringLiteral("Wachttijd in seconden"));
    ask.setOkButtonText(QStringLiteral("Opslaan"));
    ask.setCancelButtonText(QStringLiteral("Annuleren"));
    if (ask.exec() != QDialog::Accepted)
        return std::nullopt;
    return ask.intValue();
}

TTimeoutPrompt SetServerTimeoutPrompt(TTimeoutPrompt prompt) {
    return std::exchange(TimeoutPrompt(), std::move(prompt));
}

}  // namespace ui
