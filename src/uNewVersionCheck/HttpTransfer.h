#pragma once
// The two HTTP requests of the update check, blocking the caller while the toolkit's event
// loop runs: a small document into memory, the installer into a file.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

inline const QByteArray UpdateUserAgent = QByteArrayLiteral("Mozilla/4.0 (compatible; MyApp)");

struct THttpGetOptions {
    int MaxRedirects = 10;
    int ReadTimeoutMs = 10000;  // longest wait for the next bytes
    qint64 MaxBytes = 0;        // the longest body taken; a longer one is a failure
    QDeadlineTimer Deadline = QDeadlineTimer(QDeadlineTimer::Forever);  // for the whole request
};

// The body of a 2xx answer; nothing on any failure, with its text in *error. A body longer
// than MaxBytes (announced or sent) fails as soon as that shows, without being read to its
// end, and so does a request still running at the deadline.
std::optional<QByteArray> HttpGet(const QUrl& url, const THttpGetOptions& options, QString* error);

struct TDownloadProgress {
    qint64 Bytes = 0;           // moved so far
    qint64 ContentLength = -1;  // -1 when the answer gives none
    QByteArray TransferEncoding;
};

struct TDownloadRequest {
    QUrl Url;
    QString FilePath;  // created or truncated
    // Called at every progress step; a non-empty text ends the transfer with that failure.
    std::function<QString(const TDownloadProgress&)> OnProgress;
    // No bytes for this long ends the transfer; the text comes from StallText.
    int StallTimeoutMs = 30000;
    std::function<QString()> StallText;
};

// Downloads into a file that it creates new, without following redirects; an empty text
// means success. An entry already at the path (a file, a link) is a failure and is never
// opened, followed or written. A body shorter than its Content-Length is a failure. The file
// is closed on every way out; what was written stays for the caller to remove.
QString DownloadToFile(const TDownloadRequest& request);
