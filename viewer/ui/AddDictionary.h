// "Woordenboek toevoegen...": asks for a dictd, StarDict or DSL dictionary and the name it gets,
// then compiles it into the user's own books on a worker thread while a progress dialog
// shows how far it is. The window stays usable meanwhile; only the search library is
// the window's, and the import never touches it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace books::dict {
class Interrupt;
}
class QProgressDialog;
class QThread;
class QTimer;
class QWidget;

namespace ui {

// What the user chose: one file of the dictionary (the others are found beside it), and
// the name for the lists; empty takes the dictionary's own name.
struct TDictionaryChoice {
    QString File;
    QString DisplayName;
};

// Whether a file's name is one of a dictionary that can be added (dictd, StarDict, DSL):
// what a file dropped on the window must be.
bool IsDictionaryFile(const QString &file);

// Asks with a file dialog and then for the name; nothing when the user cancels either. A
// dict:// address typed as the file's name is the choice at once (the server names its books).
std::optional<TDictionaryChoice> AskForDictionary(QWidget *parent);
// Asks for a DICT server's address (its File; DisplayName stays empty, the server names its
// databases); nothing when the user cancels.
std::optional<TDictionaryChoice> AskForServer(QWidget *parent);
// Tests answer here instead of the dialogs (of both questions); an empty prompt brings the dialogs
// back. Returns the previous prompt.
using TDictionaryPrompt = std::function<std::optional<TDictionaryChoice>(QWidget *parent)>;
TDictionaryPrompt SetDictionaryPrompt(TDictionaryPrompt prompt);

// How an import ended.
struct TImportOutcome {
    enum class TKind { Added, Refused, Cancelled, Failed };
    TKind Kind = TKind::Failed;
    std::string Name;         // Added: the new book's name
    std::string DisplayName;  // Added
    std::size_t Entries = 0;  // Added: the dictionary's words, and those left out
    std::size_t Skipped = 0;
    bool Utf8 = false;    // Added: made as a UTF-8 book (a headword lies beyond Windows-1252)
    std::string Message;  // Refused, Failed: the reason as a dialog shows it
    // Added from a server: every book added (name, display name), the first as Name; the
    // names of those added without a direction; the server's databases not added, and why.
    std::vector<std::pair<std::string, std::string>> ServerBooks;
    std::vector<std::string> UnknownDirection;
    std::vector<std::string> Refused;
};

// The message after an added book, or empty when nothing needs saying: which kind of book
// was made when it is a UTF-8 book, and how many words were left out; every book a server
// gave when it gave several, and its databases that were not added.
std::string AddedMessage(const TImportOutcome &outcome);

// One import into the user's shelf (root folder `shelfRoot`), started at once, with its
// progress dialog over `window`. Finished comes on the thread that made the import, after
// the worker has ended. Destroying the import cancels it and waits for the worker.
class TDictionaryImport : public QObject {
    Q_OBJECT
  public:
    TDictionaryImport(const TDictionaryChoice &choice, const std::string &shelfRoot,
                      const std::string &programDataDir, QWidget *window);
    ~TDictionaryImport() override;

  signals:
    void Finished(const ui::TImportOutcome &outcome);

  private:
    void ShowProgress();
    void WorkerEnded();

    std::atomic<int> m_permille{0};
    std::atomic<bool> m_cancel{false};
    // Ends a server's waits at once when the import is cancelled or destroyed.
    std::unique_ptr<books::dict::Interrupt> m_interrupt;
    TImportOutcome m_outcome;  // written by the worker, read after it ended
    QThread *m_thread = nullptr;
    QTimer *m_timer = nullptr;
    QPointer<QProgressDialog> m_progress;
};

}  // namespace ui
