#include "HttpTestServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace {

// Sends the pieces of one answer, one every so many milliseconds. An endless answer starts
// over after its last piece, and waits while the client does not take what was sent, so
// that only what the client reads is ever produced.
class TPieceSender : public QObject {
public:
    struct TPiece {
        QByteArray Wire;  // as it goes on the wire, framing included
        qint64 BodyBytes;
    };

    TPieceSender(QTcpSocket* socket, QList<TPiece> pieces, int delayMs, bool complete, bool endless,
                 qint64* bodyBytesSent)
        : QObject(socket),
          FSocket(socket),
          FPieces(std::move(pieces)),
          FDelayMs(delayMs),
          FComplete(complete),
          FEndless(endless),
          FBodyBytesSent(bodyBytesSent) {}

    void Next() {
        if (FSocket->state() != QAbstractSocket::ConnectedState)
            return;
        if (FEndless && FIndex == FPieces.size())
            FIndex = 0;
        if (FIndex < FPieces.size()) {
            if (FEndless && FSocket->bytesToWrite() > MaxUnsent) {
                QTimer::singleShot(1, this, &TPieceSender::Next);
                return;
            }
            FSocket->write(FPieces[FIndex].Wire);
            *FBodyBytesSent += FPieces[FIndex++].BodyBytes;
            FSocket->flush();
            QTimer::singleShot(FDelayMs, this, &TPieceSender::Next);
        } else if (FComplete) {
            FSocket->disconnectFromHost();
        }
    }

private:
    static constexpr qint64 MaxUnsent = 256 * 1024;

    QTcpSocket* FSocket;
    QList<TPiece> FPieces;
    int FDelayMs;
    bool FComplete;
    bool FEndless;
    qint64* FBodyBytesSent;
    qsizetype FIndex = 0;
};

}  // namespace

THttpTestServer::THttpTestServer() {
    connect(&FServer, &QTcpServer::newConnection, this, &THttpTestServer::Accept);
    FServer.listen(QHostAddress::LocalHost, 0);
}

QString THttpTestServer::Base() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(FServer.serverPort());
}

void THttpTestServer::Accept() {
    while (QTcpSocket* socket = FServer.nextPendingConnection()) {
        socket->setParent(this);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            if (request->contains("\r\n\r\n"))
                return;  // answered already
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n"))
                return;
            TSeenRequest seen;
            const QList<QByteArray> lines = request->split('\n');
            seen.Path = lines.front().split(' ').value(1);
            for (const QByteArray& line : lines)
                if (line.toLower().startsWith("user-agent:"))
                    seen.UserAgent = line.mid(11).trimmed();
            FRequests.append(seen);
            Answer(socket, seen.Path);
        });
    }
}

void THttpTestServer::Answer(QTcpSocket* socket, const QByteArray& path) {
    const TRoute route = FRoutes.value(path, TRoute{.Status = 404, .Body = "no such page"});
    if (route.Silent)
        return;
    static const QMap<int, QByteArray> reasons = {{200, "OK"},
                                                  {301, "Moved Permanently"},
                                                  {302, "Found"},
                                                  {404, "Not Found"},
                                                  {500, "Internal Server Error"}};
    QByteArray head = "HTTP/1.1 " + QByteArray::number(route.Status) + " " +
                      reasons.value(route.Status, "Other") + "\r\n";
    if (!route.Location.isEmpty())
        head += "Location: " + route.Location + "\r\n";
    if (route.Chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (!route.NoLength && !route.Endless)
        head += "Content-Length: " +
                QByteArray::number(route.AnnouncedLength >= 0 ? route.AnnouncedLength
                                                              : route.Body.size()) +
                "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->flush();

    // The body as it goes on the wire, cut into the pieces to send.
    QList<TPieceSender::TPiece> pieces;
    const int pieceSize = route.PieceSize > 0 ? route.PieceSize : qMax(1, int(route.Body.size()));
    qint64 limit = route.StopAfter >= 0 ? route.StopAfter : route.Body.size();
    for (qint64 at = 0; at < qMin<qint64>(limit, route.Body.size()); at += pieceSize) {
        const QByteArray piece = route.Body.mid(at, qMin<qint64>(pieceSize, limit - at));
        pieces.append(
            {route.Chunked ? QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n" : piece,
             piece.size()});
    }
    const bool complete = route.StopAfter < 0;
    if (complete && route.Chunked && !route.Endless)
        pieces.append({"0\r\n\r\n", 0});

    // Lives with the socket, so a connection that goes away takes its pending pieces along.
    auto* sender = new TPieceSender(socket, pieces, route.PieceDelayMs, complete, route.Endless,
                                    &FBodyBytesSent);
    sender->Next();
}

quint16 ClosedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}
