#include "dialog_recorder.h"

#include <utility>

namespace tk::test {

DialogRecorder::DialogRecorder() {
    Previous = SetDialogHandler([this](const TDialogRequest &request) {
        Shown.push_back(request);
        if (Answers.empty())
            return request.Kind == TMsgDlgType::Confirmation ? mrNo : mrOk;
        const int answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
}

DialogRecorder::~DialogRecorder() {
    SetDialogHandler(std::move(Previous));
}

}  // namespace tk::test
