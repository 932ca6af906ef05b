// The main window's part of the word list: the store, opened when first needed; the stars
// the display adds to a result page; starring an entry of the page; and the list window.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "viewer/wordlist/WordStore.h"

class TLXAData;

namespace display {
class THtmlViewer;
}

namespace ui {

class TWordListWindow;

class TWordListHook : public QObject {
    Q_OBJECT
  public:
    // typed: the word the shown results were searched for, as typed (Windows-1252).
    TWordListHook(TLXAData &data, display::THtmlViewer &viewer, std::function<std::string()> typed,
                  QWidget *window);
    ~TWordListHook() override;

    // The list, opened on first use; null (said in a dialog) when it cannot be had. A
    // damaged file set aside is said once, in a dialog.
    wordlist::TWordStore *Store();
    // Keeps the page's N-th entry in the default list; false when it is no entry of the
    // shown results or the list failed (said).
    bool StarEntry(int index);
    // Keeps the entry at the top of the view.
    bool StarTopEntry();
    bool HasEntries() const;
    void ShowWindow();
    TWordListWindow *Window() const { return m_window; }

  signals:
    void OpenEntry(const QString &book, const QString &headword);
    void Said(const QString &status);

  private:
    QString Decorate(const QString &page);

    TLXAData &m_data;
    display::THtmlViewer &m_viewer;
    std::function<std::string()> m_typed;
    QWidget *m_parent;
    std::unique_ptr<wordlist::TWordStore> m_store;
    bool m_failed = false;
    TWordListWindow *m_window = nullptr;
};

}  // namespace ui
