// The program's start: application, title, translations, version gate, main window, loop.
#include <QMessageBox>
#include <exception>

#include "platform/Console.h"
#include "qtcommon/AppInfo.h"
#include "translation/Translation.h"
#include "uMainForm/Application.h"
#include "uMainForm/SettingsLanguageStore.h"
#include "uMainForm/uMainForm.h"
#include "uNewVersionCheck/VersionGate.h"

int main(int argc, char** argv) {
    // A file-size limit fails an export with a message instead of ending the program.
    Platform::IgnoreOutputSignals();
    TApplication application(argc, argv);
    // Set before the translations load: it names the per-user settings.
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setOrganizationName(ApplicationTitle);
    // The launcher entry it was installed with: Wayland desktops take its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("twinseek"));
    try {
        TSettingsLanguageStore languageStore;
        LoadTranslations(&languageStore);
        // Before the version gate, whose dialog comes before the window.
        QApplication::setLayoutDirection(CurrentLanguageDirection());
        if (!RunVersionGate())
            return 0;
        TMainForm MainForm(&languageStore);
        MainForm.show();
        const int status = QApplication::exec();
        ResetTranslations();
        return status;
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, ApplicationTitle, QString::fromUtf8(error.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, ApplicationTitle, QStringLiteral("Unknown error"));
    }
    return 1;
}
