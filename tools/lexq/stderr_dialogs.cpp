#include "stderr_dialogs.h"

namespace lexq {

std::string TerminalText(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

TStderrDialogs::TStderrDialogs(std::ostream &err) : Err(err) {
    Previous = SetDialogHandler([this](const TDialogRequest &request) { return Show(request); });
}

TStderrDialogs::~TStderrDialogs() {
    SetDialogHandler(std::move(Previous));
}

int TStderrDialogs::Show(const TDialogRequest &request) {
    Err << "lexq: " << request.Caption << ": " << TerminalText(request.Text) << '\n';
    Err.flush();
    if (request.Kind == TMsgDlgType::Error)
        ++ErrorCount;
    // Nobody can answer a question here: it counts as no.
    return request.Kind == TMsgDlgType::Confirmation ? mrNo : mrOk;
}

}  // namespace lexq
