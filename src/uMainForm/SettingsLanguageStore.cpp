#include "uMainForm/SettingsLanguageStore.h"

#include <QSettings>

#include "uMainForm/AppInfo.h"
#include "uMainForm/QtText.h"

namespace {

const QString ValueName = QStringLiteral("CurrentLanguage");

}  // namespace

std::optional<Text> TSettingsLanguageStore::ReadCurrentLanguage() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, ApplicationTitle);
    const QVariant value = settings.value(ValueName);
    if (!value.isValid())
        return std::nullopt;
    return ToText(value.toString());
}

bool TSettingsLanguageStore::WriteCurrentLanguage(const Text& code) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, ApplicationTitle);
    if (!settings.isWritable())
        return false;
    settings.setValue(ValueName, Q(code));
    settings.sync();
    return settings.status() == QSettings::NoError;
}
