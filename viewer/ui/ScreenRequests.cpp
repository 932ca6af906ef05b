#include "ScreenRequests.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QPixmap>
#include <QPushButton>

#include "platform/msgbox.h"
#include "viewer/core/Screen.h"

namespace ui {

namespace {

struct TStandardButton {
    TMsgDlgBtn Button;
    QMessageBox::StandardButton Standard;  // gives the button its role (Enter, Escape)
};

constexpr TStandardButton kStandard[] = {
    {mbYes, QMessageBox::Yes},         {mbNo, QMessageBox::No},
    {mbOK, QMessageBox::Ok},           {mbCancel, QMessageBox::Cancel},
    {mbAbort, QMessageBox::Abort},     {mbRetry, QMessageBox::Retry},
    {mbIgnore, QMessageBox::Ignore},   {mbAll, QMessageBox::SaveAll},
    {mbNoToAll, QMessageBox::NoToAll}, {mbYesToAll, QMessageBox::YesToAll},
    {mbHelp, QMessageBox::Help},
};

QMessageBox::StandardButton StandardOf(TMsgDlgBtn button) {
    for (const TStandardButton &entry : kStandard)
        if (entry.Button == button)
            return entry.Standard;
    return QMessageBox::NoButton;
}

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

platform::MsgIcon LogIconOf(TMsgDlgType kind) {
    switch (kind) {
        case TMsgDlgType::Warning:
            return platform::MsgIcon::Warning;
        case TMsgDlgType::Error:
            return platform::MsgIcon::Error;
        default:
            return platform::MsgIcon::Information;
    }
}

int ShowMessageBox(const TDialogRequest &request) {
    // Where the platform records message boxes (tests and scripts driving the real program),
    // the dialog is recorded there and answered OK, or no to a question.
    if (platform::MessageBoxesLogged()) {
        platform::ShowMessageBox(request.Caption, request.Text, LogIconOf(request.Kind));
        return request.Kind == TMsgDlgType::Confirmation ? mrNo : mrOk;
    }
    const std::unique_ptr<QMessageBox> box = MakeMessageBox(request);
    box->exec();
    return ResultOf(*box);
}

QIcon MakeIcon(const std::vector<QImage> &images) {
    QIcon icon;
    for (const QImage &image : images)
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(const TDialogRequest &request) {
    auto box =
        std::make_unique<QMessageBox>(IconOf(request.Kind), QString::fromStdString(request.Caption),
                                      QString::fromStdString(request.Text));
    box->setTextFormat(Qt::PlainText);
    for (const TDialogButton &button : DialogButtons())
        if ((request.Buttons & button.Button) != 0)
            box->addButton(StandardOf(button.Button))->setText(QString::fromUtf8(button.Text));
    return box;
}

int ResultOf(const QMessageBox &box) {
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const TStandardButton &entry : kStandard)
        if (entry.Standard == pressed)
            for (const TDialogButton &button : DialogButtons())
                if (button.Button == entry.Button)
                    return button.Result;
    return mrCancel;  // closed without a button, as the platform reports it
}

void RegisterScreen() {
    TScreen screen;
    screen.ShowDialog = ShowMessageBox;
    screen.SetBusy = [](bool busy) {
        if (busy)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QGuiApplication::restoreOverrideCursor();
    };
    screen.MakeIcon = MakeIcon;
    SetScreen(std::move(screen));
}

}  // namespace ui
