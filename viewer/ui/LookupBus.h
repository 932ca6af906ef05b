// The lookup on the session bus, for scripts and desktop shortcuts:
//   dbus-send --session --dest=nl.taalkist.Taalkist /nl/taalkist/Taalkist
//       nl.taalkist.Taalkist.Lookup string:fiets    (one command line)
// Lookup(s word) and LookupSelection() do what "tkviewer --lookup" and "--selection" do,
// and answer before the popup shows. Only the first viewer of the session takes the name.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>

namespace ui {

class TLookupResident;

class TLookupBus : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "nl.taalkist.Taalkist")
  public:
    static constexpr const char *kService = "nl.taalkist.Taalkist";
    static constexpr const char *kPath = "/nl/taalkist/Taalkist";

    explicit TLookupBus(TLookupResident &resident, QObject *parent = nullptr);

    // Offers the methods on the bus (the session bus when there is one); false when it
    // has no connection or another viewer has the name.
    bool Register(QDBusConnection bus = QDBusConnection::sessionBus());

  public slots:
    Q_SCRIPTABLE void Lookup(const QString &word);
    Q_SCRIPTABLE void LookupSelection();

  private:
    TLookupResident &m_resident;
};

}  // namespace ui
