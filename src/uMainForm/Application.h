#pragma once
// The application object with the general error handler: an exception that escapes a
// command (any event handler) is shown in a message box instead of ending the program.
#include <QApplication>
#include <functional>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error text; the default is the toolkit's error box.
    std::function<void(const QString&)> FShowError;
};
