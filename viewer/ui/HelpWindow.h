// A small window of our own that shows the program's Dutch help document, which lies
// beside the program file.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace ui {

class THelpWindow : public QDialog {
    Q_OBJECT
  public:
    explicit THelpWindow(QWidget *owner = nullptr);

    // Shows the document in this file from its top (its table of contents); a missing
    // or unreadable file shows a short Dutch notice instead.
    void ShowFile(const QString &path);
    QString ShownText() const;

  private:
    QTextBrowser *m_browser;
};

}  // namespace ui
