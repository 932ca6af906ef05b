// The about box: logo, product name and version, rights and credit lines, and the
// publisher's web address, which opens in the browser when clicked.
#pragma once

#include <QDialog>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace ui {

inline constexpr const char *kPublisherSite = "https://taalkist.example/";

class TfrmLXAAbout : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmLXAAbout(QWidget *owner = nullptr);

    // What opens the web address (the system browser unless replaced); failures are
    // ignored.
    void SetLinkOpener(std::function<void(const QString &)> opener) {
        m_openLink = std::move(opener);
    }

    QLabel *Label1() const { return m_label1; }
    QPushButton *CloseButton() const { return m_btnClose; }
    QPushButton *CreditsButton() const { return m_btnCredits; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

  private:
    void FormCreate();
    void Label1Click();
    void ShowCredits();

    QFrame *m_pnlTop;
    QFrame *m_pnlImg;
    QLabel *m_imgLogo;
    QLabel *m_lblVersion;
    QLabel *m_lblCopyright;
    QLabel *m_lblProduction;
    QLabel *m_label1;
    QFrame *m_pnlBottom;
    QPushButton *m_btnClose;
    QPushButton *m_btnCredits;  // the sources of the dictionaries and the speech
    std::function<void(const QString &)> m_openLink;
};

}  // namespace ui
