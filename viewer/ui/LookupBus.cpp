#include "viewer/ui/LookupBus.h"

#include <QDBusError>
#include <QTimer>

#include "viewer/ui/LookupRequest.h"
#include "viewer/ui/LookupResident.h"

namespace ui {

TLookupBus::TLookupBus(TLookupResident &resident, QObject *parent)
    : QObject(parent), m_resident(resident) {}

bool TLookupBus::Register(QDBusConnection bus) {
    if (!bus.isConnected())
        return false;
    if (!bus.registerService(QLatin1String(kService)))
        return false;
    return bus.registerObject(QLatin1String(kPath), this, QDBusConnection::ExportScriptableSlots);
}

void TLookupBus::Lookup(const QString &word) {
    // The same bound as a request on the instance channel: a word, not a document.
    if (!IsRequestWord(word.toStdString())) {
        sendErrorReply(QDBusError::InvalidArgs,
                       QStringLiteral("Het woord kan niet worden opgezocht."));
        return;
    }
    // The caller has its answer first; the popup follows.
    QTimer::singleShot(0, &m_resident, [this, word] { m_resident.LookUp(word); });
}

void TLookupBus::LookupSelection() {
    QTimer::singleShot(0, &m_resident, [this] { m_resident.LookUpSelection(); });
}

}  // namespace ui
