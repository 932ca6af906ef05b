// The viewer as it answers lookups from other programs: the instance channel, the popup,
// and the main window the popup hands words to. Once a lookup has come, the program stays
// resident: closing the main window no longer ends it, the tray's "Afsluiten" does.
// A viewer that never gets a lookup is the program as it always was.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "viewer/ui/LookupRequest.h"

class QAction;
class QMenu;
class QSystemTrayIcon;
class TLXAData;

namespace ui {

class TfrmLXAMain;
class TInstanceChannel;
class TLookupPopup;
class TSelectionWatch;

class TLookupResident : public QObject {
    Q_OBJECT
  public:
    TLookupResident(TfrmLXAMain &main, TLXAData &data);
    ~TLookupResident() override;

    // Takes the lookups of other programs, unless another viewer of the user does.
    void Listen();
    // Answers a request in the popup, and stays resident from now on.
    void Handle(const TLookupRequest &request);
    // Looks a word up in the popup (the D-Bus method and the followed selection as well).
    void LookUp(const QString &word);
    // Looks up the selection (X11's PRIMARY; where the system has none, the clipboard).
    void LookUpSelection();
    void LookUpClipboard();

    bool Resident() const { return m_resident; }
    // The tray's menu: "Hoofdvenster openen", "Selectie volgen", "Afsluiten"; null until
    // resident. The icon shows it where the desktop has a tray.
    QMenu *TrayMenu() const { return m_trayMenu.get(); }
    TSelectionWatch *SelectionWatch() const { return m_watch; }
    TLookupPopup *Popup() const { return m_popup.get(); }
    TInstanceChannel *Channel() const { return m_channel; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void BecomeResident();
    void CreateTray();
    void FollowSelection(bool follow);
    void OpenMainWindow();
    void Quit();
    bool HasTray() const;
    void LookUpText(const QString &text, const QString &nothing);
    void OpenInMainWindow(const QString &word);
    void Record(const QString &word, const QString &status) const;

    TfrmLXAMain &m_main;
    TLXAData &m_data;
    TInstanceChannel *m_channel = nullptr;
    std::unique_ptr<TLookupPopup> m_popup;
    std::unique_ptr<QMenu> m_trayMenu;
    QAction *m_follow = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    TSelectionWatch *m_watch = nullptr;
    bool m_resident = false;
};

}  // namespace ui
