#include "viewer/core/LXA_MsgDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "viewer/core/Cp1252Qt.h"

namespace {

TDialogHandler &Handler() {
    static TDialogHandler handler;
    return handler;
}

struct TButtonInfo {
    TMsgDlgBtn Button;
    QMessageBox::StandardButton Standard;
    const char *Text;  // Windows-1252 (all ASCII here)
    int Result;
};

constexpr TButtonInfo kButtons[] = {
    {mbYes, QMessageBox::Yes, "&Ja", mrYes},
    {mbNo, QMessageBox::No, "&Nee", mrNo},
    {mbOK, QMessageBox::Ok, "OK", mrOk},
    {mbCancel, QMessageBox::Cancel, "Annuleren", mrCancel},
    {mbAbort, QMessageBox::Abort, "&Afbreken", mrAbort},
    {mbRetry, QMessageBox::Retry, "&Opnieuw proberen", mrRetry},
    {mbIgnore, QMessageBox::Ignore, "&Negeren", mrIgnore},
    {mbAll, QMessageBox::SaveAll, "&Alles", mrAll},
    {mbNoToAll, QMessageBox::NoToAll, "N&ee op Alles", mrNoToAll},
    {mbYesToAll, QMessageBox::YesToAll, "Ja op &Alles", mrYesToAll},
    {mbHelp, QMessageBox::Help, "&Help", mrHelp},
};

QMessageBox::Icon IconOf(TMsgDlgType kind) {
    switch (kind) {
        case TMsgDlgType::Warning:
            return QMessageBox::Warning;
        case TMsgDlgType::Error:
            return QMessageBox::Critical;
        case TMsgDlgType::Information:
            return QMessageBox::Information;
        case TMsgDlgType::Confirmation:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

int ResultOf(QMessageBox::StandardButton pressed) {
    for (const TButtonInfo &info : kButtons)
        if (info.Standard == pressed)
            return info.Result;
    return mrCancel;  // closed without a button, as the platform reports it
}

// Without a widget application (a command-line tool) no box can be built; the handler then
// gets the request as the box would have shown it.
TDialogRequest RequestWithoutBox(const std::string &text, TMsgDlgType kind, TMsgDlgButtons buttons,
                                 std::int32_t group, std::int32_t number) {
    TDialogRequest request{text, kind,  cp1252::ToQString(DialogCaption(kind)).toStdString(),
                           {},   group, number};
    for (const TButtonInfo &info : kButtons)
        if ((buttons & info.Button) != 0)
            request.ButtonTexts.push_back(cp1252::ToQString(info.Text).toStdString());
    return request;
}

int ShowDialog(const std::string &text, TMsgDlgType kind, TMsgDlgButtons buttons,
               std::int32_t group, std::int32_t number) {
    if (Handler() && qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr)
        return Handler()(RequestWithoutBox(text, kind, buttons, group, number));
    QMessageBox box(IconOf(kind), cp1252::ToQString(DialogCaption(kind)), cp1252::ToQString(text));
    // Plain text: a dictionary name with "<" must not turn into markup.
    box.setTextFormat(Qt::PlainText);
    for (const TButtonInfo &info : kButtons) {
        if ((buttons & info.Button) == 0)
            continue;
        box.addButton(info.Standard)->setText(cp1252::ToQString(info.Text));
    }
    if (Handler()) {
        TDialogRequest request{text, kind, box.windowTitle().toStdString(), {}, group, number};
        for (QAbstractButton *button : box.buttons())
            request.ButtonTexts.push_back(button->text().toStdString());
        return Handler()(request);
    }
    box.exec();
    return ResultOf(box.standardButton(box.clickedButton()));
}

}  // namespace

TDialogHandler SetDialogHandler(TDialogHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

std::string DialogCaption(TMsgDlgType kind) {
    switch (kind) {
        case TMsgDlgType::Warning:
            return "Waarschuwing";
        case TMsgDlgType::Error:
            return "Fout";
        case TMsgDlgType::Information:
            return "Informatie";
        case TMsgDlgType::Confirmation:
            return "Bevestiging";
    }
    return {};
}

int ShowMessageDialog(const std::string &text, TMsgDlgType kind, TMsgDlgButtons buttons) {
    return ShowDialog(text, kind, buttons, 0, 0);
}

void ShowErrorFmt(std::string_view format, std::initializer_list<TFormatArg> args,
                  std::int32_t group, std::int32_t number) {
    ShowDialog(Format(format, args), TMsgDlgType::Error, mbOK, group, number);
}

void ShowError(const std::string &text, std::int32_t group, std::int32_t number) {
    ShowDialog(text, TMsgDlgType::Error, mbOK, group, number);
}

int AskYesNoFmt(std::string_view format, std::initializer_list<TFormatArg> args, std::int32_t group,
                std::int32_t number) {
    return ShowDialog(Format(format, args), TMsgDlgType::Confirmation, mbYes | mbNo, group, number);
}
