// Routes the viewer's message dialogs to standard error while it lives: each dialog
// becomes one "lexq: <caption>: <text>" report in UTF-8, answered with OK or no.
#pragma once

#include <ostream>

#include "viewer/core/LXA_MsgDlg.h"

namespace lexq {

class TStderrDialogs {
  public:
    explicit TStderrDialogs(std::ostream &err);
    ~TStderrDialogs();
    TStderrDialogs(const TStderrDialogs &) = delete;
    TStderrDialogs &operator=(const TStderrDialogs &) = delete;

    // Error reports shown so far.
    int Errors() const { return ErrorCount; }

  private:
    int Show(const TDialogRequest &request);

    std::ostream &Err;
    int ErrorCount = 0;
    TDialogHandler Previous;
};

// A dialog's text for the terminal, with CR LF line ends made LF.
std::string TerminalText(const std::string &text);

}  // namespace lexq
