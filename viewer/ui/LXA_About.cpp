#include "LXA_About.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "platform/shell.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/ui/UiResources.h"

namespace ui {

namespace {

// The logo, drawn at twice its size for screens of twice the density.
QPixmap Logo() {
    if (qApp->devicePixelRatio() > 1.0) {
        QPixmap sharp(QStringLiteral(":/ui/logo@2x.png"));
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return QPixmap(QStringLiteral(":/ui/logo.bmp"));
}

QLabel *CentredLine(QWidget *parent, const char *name, const QRect &place) {
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

}  // namespace

TfrmLXAAbout::TfrmLXAAbout(QWidget *owner) : QDialog(owner) {
    InitUiResources();
    setObjectName(QStringLiteral("frmLXAAbout"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(411, 238);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    setFont(font);

    m_pnlTop = new QFrame(this);
    m_pnlTop->setObjectName(QStringLiteral("pnlTop"));
    m_pnlTop->setGeometry(0, 0, 411, 171);
    m_pnlImg = new QFrame(m_pnlTop);
    m_pnlImg->setObjectName(QStringLiteral("pnlImg"));
    m_pnlImg->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pnlImg->setGeometry(27, 12, 352, 96);
    m_imgLogo = new QLabel(m_pnlImg);
    m_imgLogo->setObjectName(QStringLiteral("imgLogo"));
    m_imgLogo->setGeometry(1, 1, 350, 94);
    m_imgLogo->setScaledContents(true);
    m_imgLogo->setAlignment(Qt::AlignCenter);
    m_imgLogo->setPixmap(Logo());
    m_lblVersion = CentredLine(m_pnlTop, "lblVersion", QRect(8, 112, 396, 15));
    m_lblCopyright = CentredLine(m_pnlTop, "lblCopyright", QRect(8, 132, 396, 15));
    m_lblProduction = CentredLine(m_pnlTop, "lblProduction", QRect(8, 152, 396, 16));

    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    QFont link(QStringLiteral("Arial"));
    link.setPixelSize(13);
    link.setUnderline(true);
    m_label1->setFont(link);
    QPalette colours = m_label1->palette();
    colours.setColor(QPalette::WindowText, palette().color(QPalette::Active, QPalette::Highlight));
    m_label1->setPalette(colours);
    // The hand shows exactly while the pointer is on the address.
    m_label1->setCursor(Qt::PointingHandCursor);
    // The keyboard reaches the address too: Tab, then the space bar opens it.
    m_label1->setFocusPolicy(Qt::TabFocus);
    m_label1->setAccessibleDescription(QStringLiteral("Website; de spatiebalk opent hem"));
    m_label1->installEventFilter(this);

    m_pnlBottom = new QFrame(this);
    m_pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    m_pnlBottom->setGeometry(0, 238 - 45, 411, 45);
    m_btnClose = new QPushButton(m_pnlBottom);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setGeometry(135, 7, 141, 24);
    m_btnClose->setDefault(true);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::accept);
    // The credits of the bundled books do not fit the fixed lines above: a button beside
    // the close button shows them.
    m_btnCredits = new QPushButton(m_pnlBottom);
    m_btnCredits->setObjectName(QStringLiteral("btnCredits"));
    m_btnCredits->setGeometry(411 - 8 - 113, 7, 113, 24);
    m_btnCredits->setAutoDefault(false);
    connect(m_btnCredits, &QPushButton::clicked, this, &TfrmLXAAbout::ShowCredits);
    // Enter and Escape close the dialog wherever the focus is, before any control sees them.
    m_btnClose->installEventFilter(this);
    m_btnCredits->installEventFilter(this);
    installEventFilter(this);

    m_openLink = [](const QString &address) { platform::ShellOpen(address.toStdString(), ""); };
    FormCreate();
}

void TfrmLXAAbout::FormCreate() {
    setWindowTitle(QStringLiteral("Over Morvelt taalkist"));
    m_lblVersion->setText(QStringLiteral("Morvelt taalkist - versie 1.0"));
    // The bundled dictionaries are FreeDict's, under the GPL: the rights line says so.
    m_lblCopyright->setText(QStringLiteral(
        "Copyright \u00A9 2026 Morvelt. Woordenboeken: FreeDict, GNU GPL 2 of later."));
    m_lblProduction->setText(
        QStringLiteral("Ontwikkeld door het Taalkist-team in opdracht van Morvelt"));
    m_btnClose->setText(QStringLiteral("&Sluiten"));
    m_btnCredits->setText(QStringLiteral("&Bronnen\u2026"));
    m_label1->setText(QStringLiteral("taalkist.example"));
    m_label1->adjustSize();
    m_label1->move((width() - m_label1->width()) / 2, 173);
}

void TfrmLXAAbout::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (QWidget *owner = parentWidget())
        move(owner->frameGeometry().center() -
             QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    m_btnClose->setFocus();
}

bool TfrmLXAAbout::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            if (isVisible())
                accept();
            return true;
        }
        if (watched == m_label1 && key == Qt::Key_Space) {
            Label1Click();
            return true;
        }
    } else if (watched == m_label1 && event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmLXAAbout::ShowCredits() {
    static const char *const kCredits =
        "Woordenboeken Nederlands\u2013Engels, \u2013Duits en \u2013Frans en terug: FreeDict "
        "(freedict.org), GNU GPL versie 2 of later.\r\n\r\n"
        "Engels verklarend woordenboek: WordNet 3.0 \u00A9 2006 Princeton University, onder de "
        "WordNet-licentie.\r\n\r\n"
        "Uitspraak: eSpeak NG.";
    ShowMessageDialog(kCredits, TMsgDlgType::Information, mbOK);
}

void TfrmLXAAbout::Label1Click() {
    try {
        if (m_openLink)
            m_openLink(QString::fromLatin1(kPublisherSite));
    } catch (...) {
        // A failing request for the web address is ignored.
    }
}

}  // namespace ui
