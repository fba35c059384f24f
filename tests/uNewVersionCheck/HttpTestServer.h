#pragma once
// A small HTTP/1.1 server on 127.0.0.1 inside the test process. Each path answers as its
// route says: a plain body, a chunked one, one that only the closed connection ends, a
// redirect, a body sent slowly in pieces, one shorter than announced, one without end, a
// transfer that stops, or no answer at all. Every request's path and headers are kept, and
// the body bytes sent are counted.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

struct TRoute {
    int Status = 200;
    QByteArray Body;
    bool Chunked = false;
    QByteArray Location;          // sent as a redirect's target
    int PieceSize = 0;            // >0: the body goes in pieces of this size ...
    int PieceDelayMs = 0;         // ... one every so many milliseconds
    qint64 StopAfter = -1;        // >=0: after this many body bytes the server falls silent
    bool Silent = false;          // the request is read and never answered
    qint64 AnnouncedLength = -1;  // >=0: the Content-Length sent, whatever the body's size
    bool NoLength = false;  // neither Content-Length nor chunks: the closed connection ends it
    bool Endless = false;   // the body is sent again and again until the client goes away
};

struct TSeenRequest {
    QByteArray Path;
    QByteArray UserAgent;
};

class THttpTestServer : public QObject {
public:
    THttpTestServer();
    // The address to put in front of a path, like "http://127.0.0.1:4711".
    QString Base() const;
    QUrl Url(const QByteArray& path) const { return QUrl(Base() + QString::fromLatin1(path)); }

    void Route(const QByteArray& path, const TRoute& route) { FRoutes[path] = route; }
    const QList<TSeenRequest>& Requests() const { return FRequests; }
    // Body bytes handed to the connections so far (chunk framing left out).
    qint64 BodyBytesSent() const { return FBodyBytesSent; }

private:
    void Accept();
    void Answer(class QTcpSocket* socket, const QByteArray& path);

    QTcpServer FServer;
    QMap<QByteArray, TRoute> FRoutes;
    QList<TSeenRequest> FRequests;
    qint64 FBodyBytesSent = 0;
};

// A loopback port that nothing listens on.
quint16 ClosedPort();
