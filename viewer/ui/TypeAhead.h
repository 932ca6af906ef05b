// The type-ahead list under the search field: while the user types, the headwords of the
// current book that start as the typed word does. A completer's popup, so that the field
// keeps the focus and every keystroke: Up and Down choose a headword, Enter or a click
// searches it, Escape closes the list, and Enter with nothing chosen is the field's own.
// A screen reader hears how many headwords the list holds and which one is chosen, as the
// focus stays in the field.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QAbstractItemView;
class QCompleter;
class QLineEdit;
class QStringListModel;

namespace ui {

class TLiveStatus;

class TTypeAhead : public QObject {
    Q_OBJECT
  public:
    // words: the headwords for a typed text (none: the list closes); choose: searches the
    // headword the user picked.
    using TWords = std::function<QStringList(const QString &typed)>;
    using TChoose = std::function<void(const QString &word)>;

    TTypeAhead(QLineEdit *field, TWords words, TChoose choose);

    void Hide();
    bool IsOpen() const;
    // The headwords for a text that arrive later (a server's): shown only while the field
    // still holds that text, with the focus; an answer to an older text is dropped.
    void Answer(const QString &typed, const QStringList &words);
    // The headwords' size against the field's, as the page's text zoom (1: the same).
    void SetTextScale(double scale);
    // The list's view (null until it first opens) and its headwords, for the tests.
    QAbstractItemView *Popup() const;
    QStringList Words() const;
    // What a screen reader was last told about the list.
    QString Announced() const;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void Update(const QString &typed);
    void Show(const QStringList &words);
    void MakePopup();
    void ApplyFont();
    void AnnounceChosen(const QModelIndex &chosen);

    QLineEdit *m_field;
    TWords m_words;
    TChoose m_choose;
    QStringListModel *m_model;
    QCompleter *m_completer;
    QAbstractItemView *m_popup = nullptr;  // the completer's, once made
    TLiveStatus *m_spoken;
    double m_scale = 1.0;
};

}  // namespace ui
