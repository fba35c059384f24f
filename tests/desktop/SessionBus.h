#pragma once
// A private session bus for the tests, a fake file manager on it, and a recorder of the
// addresses that the desktop services would open.
#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QUrl>
#include <mutex>
#include <string>

// dbus-daemon with a configuration of our own: no service files, so nothing is started on
// demand and a name answers only while a test owns it.
class TPrivateSessionBus {
public:
    // Starts the daemon and points DBUS_SESSION_BUS_ADDRESS at it; false when it cannot.
    bool Start();
    void Stop();
    const QString& Address() const { return FAddress; }

private:
    std::string FFolder;
    QString FAddress;
    long FPid = -1;
};

// Answers org.freedesktop.FileManager1.ShowItems and records each call. It runs in a thread
// of its own, since the caller blocks the main thread while it waits for the answer.
class TFakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    struct TCall {
        QStringList Uris;
        QString StartupId;
    };

    ~TFakeFileManager() override { Stop(); }
    // Connects to the bus and owns the file manager's name; false when it cannot.
    bool Start(const QString& busAddress);
    void Stop();
    std::vector<TCall> Calls();

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString& startupId);

private:
    QThread FThread;
    QString FConnectionName;
    std::mutex FMutex;
    std::vector<TCall> FCalls;
};

// Takes the place of the desktop's default application for one URL scheme.
class TUrlRecorder : public QObject {
    Q_OBJECT

public:
    explicit TUrlRecorder(const QString& scheme);
    ~TUrlRecorder() override;
    QList<QUrl> Urls;

public slots:
    void Open(const QUrl& url) { Urls << url; }

private:
    QString FScheme;
};
