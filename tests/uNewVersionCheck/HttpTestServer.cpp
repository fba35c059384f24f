#include "HttpTestServer.h"

#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace {

class TPieceSender : public QObject {
public:
    TPieceSender(QTcpSocket* socket, QList<QByteArray> pieces, int delayMs, bool complete)
        : QObject(socket),
          FSocket(socket),
          FPieces(std::move(pieces)),
          FDelayMs(delayMs),
          FComplete(complete) {}

    void Next() {
        if (FIndex < FPieces.size()) {
            FSocket->write(FPieces[FIndex++]);
            FSocket->flush();
            QTimer::singleShot(FDelayMs, this, &TPieceSender::Next);
        } else if (FComplete) {
            FSocket->disconnectFromHost();
        }
    }

private:
    QTcpSocket* FSocket;
    QList<QByteArray> FPieces;
    int FDelayMs;
    bool FComplete;
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
    else
        head += "Content-Length: " + QByteArray::number(route.Body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->flush();

    // The body as it goes on the wire, cut into the pieces to send.
    QList<QByteArray> pieces;
    const int pieceSize = route.PieceSize > 0 ? route.PieceSize : qMax(1, int(route.Body.size()));
    qint64 limit = route.StopAfter >= 0 ? route.StopAfter : route.Body.size();
    for (qint64 at = 0; at < qMin<qint64>(limit, route.Body.size()); at += pieceSize) {
        const QByteArray piece = route.Body.mid(at, qMin<qint64>(pieceSize, limit - at));
        pieces.append(route.Chunked ? QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n"
                                    : piece);
    }
    const bool complete = route.StopAfter < 0;
    if (complete && route.Chunked)
        pieces.append("0\r\n\r\n");

    // Lives with the socket, so a connection that goes away takes its pending pieces along.
    auto* sender = new TPieceSender(socket, pieces, route.PieceDelayMs, complete);
    sender->Next();
}

quint16 ClosedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}
