// The one viewer of a user that answers lookups: a local socket in the user's runtime
// folder, open to this user alone, on which other programs' requests (LookupRequest.h)
// arrive. The first viewer to listen keeps it; a later one asks it instead. A connection
// of another user, a malformed, oversized or slow request is refused, logged, and never
// acted on.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "viewer/ui/LookupAsk.h"
#include "viewer/ui/LookupRequest.h"

class QLocalServer;
class QLocalSocket;

namespace ui {

class TInstanceChannel : public QObject {
    Q_OBJECT
  public:
    // The socket's path: in the user's runtime folder; empty when there is none to trust.
    static QString SocketPath();
    // How long a connection may take to send its request.
    static constexpr int kRequestMs = kAskTimeoutMs / 2;

    // Hands the request to the viewer listening at SocketPath (LookupAsk.h).
    using TAsked = ui::TAsked;
    static TAsked Ask(const TLookupRequest &request);

    explicit TInstanceChannel(QObject *parent = nullptr);
    ~TInstanceChannel() override;

    enum class TListen { Listening, OtherViewer, Failed };
    // Listens at SocketPath, replacing the stale socket of a viewer that crashed; leaves it
    // to a viewer that answers there already. Failures are logged.
    TListen Listen();
    bool IsListening() const;

    // Tests: the user whose connections are taken instead of this process's own.
    void SetAllowedUser(std::uint32_t user) { m_allowedUser = user; }

  signals:
    // A valid request of this user, after its sender has had the answer.
    void Requested(const ui::TLookupRequest &request);

  private:
    void Accept();
    void Read(QLocalSocket *connection);
    void Refuse(QLocalSocket *connection, const char *why);

    QLocalServer *m_server = nullptr;
    std::uint32_t m_allowedUser;
};

}  // namespace ui

Q_DECLARE_METATYPE(ui::TLookupRequest)
