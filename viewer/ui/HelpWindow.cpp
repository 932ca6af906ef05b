#include "HelpWindow.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace ui {

THelpWindow::THelpWindow(QWidget *owner) : QDialog(owner), m_browser(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Hulpinformatie - Morvelt taalkist"));
    resize(560, 480);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->addWidget(m_browser);
    m_browser->setAccessibleName(QStringLiteral("Hulpinformatie"));
    // Read with a caret, as the article is; Tab goes from link to link.
    m_browser->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    // Enter anywhere but on a link and Escape close the window.
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Sluiten"));
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // Internal anchors move within the document; web links go to the browser.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
        if (link.scheme().isEmpty() && link.hasFragment())
            m_browser->scrollToAnchor(link.fragment());
        else if (link.scheme() == QLatin1String("http") || link.scheme() == QLatin1String("https"))
            QDesktopServices::openUrl(link);
    });
}

void THelpWindow::ShowFile(const QString &path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        m_browser->setHtml(QString::fromUtf8(file.readAll()));
    } else {
        m_browser->setPlainText(
            QStringLiteral("Het hulpbestand '%1' kan niet worden gevonden.").arg(path));
    }
    m_browser->scrollToAnchor(QStringLiteral("inhoud"));
    show();
    raise();
    activateWindow();
}

QString THelpWindow::ShownText() const {
    return m_browser->toPlainText();
}

}  // namespace ui
