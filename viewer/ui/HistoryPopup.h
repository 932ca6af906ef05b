// The search field's drop-down of recent searches: a list under the field that opens only
// when asked (the field's arrow, Alt+Down or F4), never while typing. Choosing a word
// searches it; typing closes the list and goes on in the field.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

class QLineEdit;

namespace ui {

class THistoryPopup : public QListWidget {
    Q_OBJECT
  public:
    // A list for this field (not owned; outlives the list).
    explicit THistoryPopup(QLineEdit *field);

    // Shows the words (UTF-8, newest first) under the field, the first one current;
    // nothing without words.
    void Open(const std::vector<std::string> &words);

  signals:
    void WordChosen(const QString &word);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void Choose(QListWidgetItem *item);

    QLineEdit *m_field;
};

}  // namespace ui
