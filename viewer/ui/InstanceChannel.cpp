#include "viewer/ui/InstanceChannel.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTimer>

#include "platform/localsocket.h"

namespace ui {

namespace {

Q_LOGGING_CATEGORY(lcChannel, "taalkist.lookup")

// What a connection has sent so far, kept on the connection itself.
constexpr char kReceived[] = "taalkistReceived";

}  // namespace

QString TInstanceChannel::SocketPath() {
    // Qt hands out the runtime folder only when it is the user's own and closed to others.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + QLatin1String(kLookupSocketName);
}

TAsked TInstanceChannel::Ask(const TLookupRequest &request) {
    return AskViewer(SocketPath().toStdString(), request);
}

TInstanceChannel::TInstanceChannel(QObject *parent)
    : QObject(parent), m_allowedUser(platform::CurrentUserId()) {}

TInstanceChannel::~TInstanceChannel() = default;

bool TInstanceChannel::IsListening() const {
    return m_server != nullptr && m_server->isListening();
}

TInstanceChannel::TListen TInstanceChannel::Listen() {
    if (IsListening())
        return TListen::Listening;
    const QString path = SocketPath();
    if (path.isEmpty()) {
        qCWarning(lcChannel) << "no private runtime folder: lookups are not taken";
        return TListen::Failed;
    }
    // Two viewers starting at once must not both take the socket for stale: one decides at
    // a time. A lock of a crashed viewer is stale after its process is gone.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(2000)) {
        qCWarning(lcChannel) << "cannot lock" << lock.fileName();
        return TListen::Failed;
    }
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(500))
        return TListen::OtherViewer;
    // Nothing answers: what lies there is a dead viewer's socket (or nothing), in a folder
    // only this user can write.
    QLocalServer::removeServer(path);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        qCWarning(lcChannel) << "cannot listen at" << path << server->errorString();
        delete server;
        return TListen::Failed;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &TInstanceChannel::Accept);
    return TListen::Listening;
}

void TInstanceChannel::Accept() {
    while (QLocalSocket *connection = m_server->nextPendingConnection()) {
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        const std::optional<std::uint32_t> user =
            platform::PeerUserId(connection->socketDescriptor());
        if (!user || *user != m_allowedUser) {
            Refuse(connection, "a connection of another user");
            continue;
        }
        connect(connection, &QLocalSocket::readyRead, this,
                [this, connection] { Read(connection); });
        // A sender that stops half-way is cut off: it holds no viewer up.
        QTimer::singleShot(kRequestMs, connection, [this, connection] {
            if (connection->state() == QLocalSocket::ConnectedState)
                Refuse(connection, "a request that did not arrive in time");
        });
        Read(connection);
    }
}

void TInstanceChannel::Read(QLocalSocket *connection) {
    QByteArray received = connection->property(kReceived).toByteArray();
    // Never more than a request's largest size plus one: the one tells an oversized request.
    received += connection->read(qint64(kMaxRequestBytes) + 1 - received.size());
    connection->setProperty(kReceived, received);
    if (received.isEmpty())
        return;
    TLookupRequest request;
    const TRequestStatus status =
        ReadLookupRequest(std::string_view(received.constData(), received.size()), &request);
    if (status == TRequestStatus::NeedMore)
        return;
    if (status != TRequestStatus::Complete) {
        Refuse(connection, RequestStatusText(status));
        return;
    }
    connection->disconnect(this);
    connection->write(&kAccepted, 1);
    connection->flush();
    connection->disconnectFromServer();
    emit Requested(request);
}

void TInstanceChannel::Refuse(QLocalSocket *connection, const char *why) {
    qCWarning(lcChannel) << "refused:" << why;
    connection->disconnect(this);
    connection->write(&kRefused, 1);
    connection->flush();
    connection->disconnectFromServer();
}

}  // namespace ui
