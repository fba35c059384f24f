#include "uNewVersionCheck/HttpTransfer.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <memory>

#include "qtcommon/QtText.h"
#include "translation/TextFormat.h"

namespace {

// The failure of a finished reply, or empty for a 2xx answer.
QString AnswerFailure(QNetworkReply& reply) {
    if (reply.error() != QNetworkReply::NoError)
        return reply.errorString();
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.isValid() ? status.toInt() : 0;
    if (code >= 200 && code < 300)
        return {};
    // A redirect that was not followed, or an answer that is not HTTP at all.
    return QStringLiteral("Error transferring %1 - server replied: %2 %3")
        .arg(reply.url().toString(), QString::number(code),
             reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
}

QNetworkRequest UpdateRequest(const QUrl& url) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, UpdateUserAgent);
    return request;
}

}  // namespace

std::optional<QByteArray> HttpGet(const QUrl& url, const THttpGetOptions& options, QString* error) {
    if (!url.isValid()) {
        *error = QStringLiteral("Invalid address: %1").arg(url.toString());
        return std::nullopt;
    }
    if (options.Deadline.hasExpired()) {
        *error = QStringLiteral("No time left for %1").arg(url.toString());
        return std::nullopt;
    }
    QNetworkAccessManager manager;
    QNetworkRequest request = UpdateRequest(url);
    // Never from https down to http: a redirect must not undo the secure scheme.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(options.MaxRedirects);
    // Counted from the last bytes that arrived, so it is a read time-out, not a total one.
    request.setTransferTimeout(options.ReadTimeoutMs);

    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    // Qt holds back what it has not handed over beyond this, instead of reading on.
    reply->setReadBufferSize(std::min<qint64>(options.MaxBytes + 1, 64 * 1024));
    QByteArray body;
    QString failure;
    const auto fail = [&](const QString& text) {
        if (failure.isEmpty())
            failure = text;
        reply->abort();
    };
    const auto tooLong = [&] {
        fail(QStringLiteral("The answer from %1 is longer than %2 bytes.")
                 .arg(url.toString(), QString::number(options.MaxBytes)));
    };
    // One byte beyond the cap is enough to know; the rest is never read.
    const auto take = [&] {
        if (!failure.isEmpty() || !reply->isOpen())
            return;
        body += reply->read(options.MaxBytes + 1 - body.size());
        if (body.size() > options.MaxBytes)
            tooLong();
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > options.MaxBytes)
            tooLong();
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, take);

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] {
        fail(QStringLiteral("No complete answer from %1 in time.").arg(url.toString()));
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!options.Deadline.isForever())
        deadline.start(static_cast<int>(std::clamp<qint64>(options.Deadline.remainingTime(), 0,
                                                           std::numeric_limits<int>::max())));
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();

    take();
    *error = failure.isEmpty() ? AnswerFailure(*reply) : failure;
    if (!error->isEmpty())
        return std::nullopt;
    return body;
}

QString DownloadToFile(const TDownloadRequest& download) {
    QFile file(download.FilePath);
    // NewOnly: created here or not at all (O_EXCL, CREATE_NEW), so whatever stands at the
    // path, a link included, is neither followed nor written.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return QStringLiteral("Cannot create %1: %2").arg(download.FilePath, file.errorString());

    QNetworkAccessManager manager;
    QNetworkRequest request = UpdateRequest(download.Url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    // The bytes on the wire are the file, so Content-Length measures the progress.
    request.setRawHeader("Accept-Encoding", "identity");
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QString failure;
    const auto fail = [&](const QString& text) {
        if (failure.isEmpty())
            failure = text;
        reply->abort();
    };
    // Every arrival of data is a progress step: Qt's own progress signal is held back for
    // 100 ms after the previous one, so it can miss what arrives just before a stall.
    qint64 received = 0;
    const auto writeArrived = [&] {
        const QByteArray data = reply->readAll();
        if (data.isEmpty())
            return false;
        received += data.size();
        if (file.write(data) != data.size()) {
            fail(QStringLiteral("Cannot write %1: %2").arg(download.FilePath, file.errorString()));
            return false;
        }
        return true;
    };
    const auto progressStep = [&] {
        if (!failure.isEmpty() || !download.OnProgress)
            return;
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        const TDownloadProgress progress{
            .Bytes = received,
            .ContentLength = length.isValid() ? length.toLongLong() : -1,
            .TransferEncoding = reply->rawHeader("Transfer-Encoding"),
        };
        const QString text = download.OnProgress(progress);
        if (!text.isEmpty())
            fail(text);
    };

    QEventLoop loop;
    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(download.StallTimeoutMs);
    QObject::connect(&stall, &QTimer::timeout, [&] {
        fail(download.StallText ? download.StallText()
                                : QStringLiteral("The server stopped sending data."));
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, [&] {
        stall.start();
        if (writeArrived())
            progressStep();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);

    stall.start();
    if (!reply->isFinished())
        loop.exec();
    stall.stop();

    if (failure.isEmpty() && writeArrived())
        progressStep();
    if (failure.isEmpty())
        failure = AnswerFailure(*reply);
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (failure.isEmpty() && announced.isValid() && announced.toLongLong() != received)
        failure = Q(TranslateFormat(u"The download is incomplete: %d of %d bytes arrived.",
                                    {received, announced.toLongLong()}));
    if (!file.flush() && failure.isEmpty())
        failure = QStringLiteral("Cannot write %1: %2").arg(download.FilePath, file.errorString());
    file.close();
    return failure;
}
