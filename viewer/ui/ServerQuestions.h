// The two questions about DICT servers: the direction of a server's book whose name does
// not tell it (asked after "Server toevoegen..."), and how long to wait for a server's reply
// ("Wachttijd van servers..."). Tests answer through the prompts instead of the dialogs.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QWidget;

namespace ui {

// A book added from a server without a direction.
struct TDirectionQuestion {
    std::string Name;     // the book's name
    QString DisplayName;  // as the lists show it
};

// "nl-en", or "nl" for a book that explains a language in itself; nothing: "Later", the
// book stays without a direction.
std::optional<std::string> AskForDirection(QWidget *parent, const TDirectionQuestion &question);
using TDirectionPrompt =
    std::function<std::optional<std::string>(QWidget *parent, const TDirectionQuestion &)>;
// An empty prompt brings the dialog back. Returns the previous prompt.
TDirectionPrompt SetDirectionPrompt(TDirectionPrompt prompt);

// The source and target language from the languages the program knows; the target may be
// none (one language). Keyboard only works: the fields have their letters, Enter keeps,
// Escape is "Later".
class TDirectionDialog : public QDialog {
  public:
    TDirectionDialog(QWidget *parent, const TDirectionQuestion &question);
    // What the fields say now.
    std::string Direction() const;
    QComboBox *Source() const { return m_source; }
    QComboBox *Target() const { return m_target; }

  private:
    QComboBox *m_source;
    QComboBox *m_target;
};

// The seconds to wait for a server's reply, from `current`, within the setting's bounds;
// nothing when the user cancels.
std::optional<int> AskForServerTimeout(QWidget *parent, int current);
using TTimeoutPrompt = std::function<std::optional<int>(QWidget *parent, int current)>;
TTimeoutPrompt SetServerTimeoutPrompt(TTimeoutPrompt prompt);

}  // namespace ui
