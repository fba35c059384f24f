#include "uMainForm/Application.h"

#include <QMessageBox>
#include <exception>

#include "qtcommon/AppInfo.h"
#include "uMainForm/ProgramIcon.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Every window of the program carries it, the update dialog before the main window too.
    setWindowIcon(ProgramIcon());
    FShowError = [](const QString& text) {
        QMessageBox::critical(QApplication::activeWindow(), ApplicationTitle, text);
    };
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        FShowError(QString::fromUtf8(error.what()));
    } catch (...) {
        FShowError(QStringLiteral("Unknown error"));
    }
    return false;
}
