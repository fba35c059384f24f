#include "SessionBus.h"

#include <signal.h>

#include <QDesktopServices>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

bool TPrivateSessionBus::Start() {
    FFolder = (std::filesystem::temp_directory_path() / "twinseek-bus-XXXXXX").string();
    if (::mkdtemp(FFolder.data()) == nullptr)
        return false;
    const std::string config = FFolder + "/bus.conf";
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                             "Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig>\n"
                             "  <type>session</type>\n"
                             "  <listen>unix:dir="
                          << FFolder
                          << "</listen>\n"
                             "  <auth>EXTERNAL</auth>\n"
                             "  <policy context=\"default\">\n"
                             "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                             "    <allow eavesdrop=\"true\"/>\n"
                             "    <allow own=\"*\"/>\n"
                             "  </policy>\n"
                             "</busconfig>\n";
    const std::string command = "dbus-daemon --config-file=" + config +
                                " --fork --print-address=1 --print-pid=1 2>/dev/null";
    FILE* out = ::popen(command.c_str(), "r");
    if (out == nullptr)
        return false;
    char address[1024] = {};
    char pid[64] = {};
    const bool read = std::fgets(address, sizeof address, out) != nullptr &&
                      std::fgets(pid, sizeof pid, out) != nullptr;
    ::pclose(out);
    if (!read)
        return false;
    FAddress = QString::fromUtf8(address).trimmed();
    FPid = std::strtol(pid, nullptr, 10);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", FAddress.toUtf8().constData(), 1);
    return FPid > 0 && !FAddress.isEmpty();
}

void TPrivateSessionBus::Stop() {
    if (FPid > 0)
        ::kill(static_cast<pid_t>(FPid), SIGTERM);
    FPid = -1;
    // The daemon removes its socket as it goes, which can race with the removal here.
    std::error_code ignored;
    for (int i = 0; i < 2 && !FFolder.empty(); ++i)
        std::filesystem::remove_all(FFolder, ignored);
}

bool TFakeFileManager::Start(const QString& busAddress) {
    FThread.start();
    moveToThread(&FThread);
    FConnectionName = QStringLiteral("fake-file-manager");
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, FConnectionName);
    return bus.isConnected() &&
           bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), this,
                              QDBusConnection::ExportScriptableSlots) &&
           bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));
}

void TFakeFileManager::Stop() {
    QDBusConnection::disconnectFromBus(FConnectionName);
    FThread.quit();
    FThread.wait();
}

std::vector<TFakeFileManager::TCall> TFakeFileManager::Calls() {
    std::lock_guard lock(FMutex);
    return FCalls;
}

void TFakeFileManager::ShowItems(const QStringList& uris, const QString& startupId) {
    std::lock_guard lock(FMutex);
    FCalls.push_back({uris, startupId});
}

TUrlRecorder::TUrlRecorder(const QString& scheme) : FScheme(scheme) {
    QDesktopServices::setUrlHandler(scheme, this, "Open");
}

TUrlRecorder::~TUrlRecorder() {
    QDesktopServices::unsetUrlHandler(FScheme);
}
