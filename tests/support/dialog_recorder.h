// Records every dialog of the viewer's core instead of showing it, and answers from a queue
// (OK, or no to a question, when the queue is empty).
#pragma once

#include <deque>
#include <vector>

#include "viewer/core/LXA_MsgDlg.h"

namespace tk::test {

class DialogRecorder {
  public:
    DialogRecorder();
    ~DialogRecorder();
    DialogRecorder(const DialogRecorder &) = delete;
    DialogRecorder &operator=(const DialogRecorder &) = delete;

    std::vector<TDialogRequest> Shown;
    std::deque<int> Answers;

  private:
    TDialogHandler Previous;
};

}  // namespace tk::test
