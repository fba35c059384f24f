#include "uMainForm/SettingsLanguageStore.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "platform/LanguageStore.h"
#include "qtcommon/AppInfo.h"
#include "qtcommon/QtText.h"

namespace {

const QString ValueName = QStringLiteral("CurrentLanguage");

// HKCU\Software\Twinseek on Windows, where the command line reads it too; an organization
// name alone would put the value under "OrganizationDefaults". Twinseek.conf in the user's
// configuration folder elsewhere.
QSettings Store() {
#ifdef _WIN32
    return QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\") + ApplicationTitle,
                     QSettings::NativeFormat);
#else
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, ApplicationTitle);
#endif
}

// The settings store reads its files whole, with a blocking open, as soon as it is made: a
// pipe in their place would hang the window and a link to /dev/zero would read without end.
// They are let through only when each is missing or a regular file of bounded size.
bool StoreCanBeRead() {
#ifdef _WIN32
    return true;  // the registry
#else
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        const QFileInfo file(folder + QStringLiteral("/") + ApplicationTitle +
                             QStringLiteral(".conf"));
        if (file.exists() && (!file.isFile() || file.size() > Platform::SettingsFileLimit))
            return false;
    }
    return true;
#endif
}

}  // namespace

std::optional<Text> TSettingsLanguageStore::ReadCurrentLanguage() {
    if (!StoreCanBeRead())
        return std::nullopt;
    QSettings settings = Store();
    const QVariant value = settings.value(ValueName);
    if (!value.isValid())
        return std::nullopt;
    return ToText(value.toString());
}

bool TSettingsLanguageStore::WriteCurrentLanguage(const Text& code) {
    if (!StoreCanBeRead())
        return false;
    QSettings settings = Store();
    if (!settings.isWritable())
        return false;
    settings.setValue(ValueName, Q(code));
    settings.sync();
    return settings.status() == QSettings::NoError;
}
