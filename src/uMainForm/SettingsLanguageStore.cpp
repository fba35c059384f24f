#include "uMainForm/SettingsLanguageStore.h"

#include <QSettings>

#include "uMainForm/AppInfo.h"
#include "uMainForm/QtText.h"

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

}  // namespace

std::optional<Text> TSettingsLanguageStore::ReadCurrentLanguage() {
    QSettings settings = Store();
    const QVariant value = settings.value(ValueName);
    if (!value.isValid())
        return std::nullopt;
    return ToText(value.toString());
}

bool TSettingsLanguageStore::WriteCurrentLanguage(const Text& code) {
    QSettings settings = Store();
    if (!settings.isWritable())
        return false;
    settings.setValue(ValueName, Q(code));
    settings.sync();
    return settings.status() == QSettings::NoError;
}
