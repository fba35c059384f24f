// A Qt plugin that the package check loads into the installed, unchanged program
// (QT_PLUGIN_PATH and QT_QPA_GENERIC_PLUGINS=twinseekprobe): once the main window shows,
// it writes the window's title, its icon's sizes and every caption of its menus, buttons
// and labels to the file TWINSEEK_PROBE_OUT names, saves a picture of the window where
// TWINSEEK_PROBE_SHOT says, and ends the program. So the check sees what a user would.
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGenericPlugin>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <memory>

namespace {

void AddMenu(QStringList& lines, const QList<QAction*>& actions) {
    for (QAction* action : actions) {
        if (!action->text().isEmpty())
            lines << QStringLiteral("caption: ") + action->text();
        if (action->menu())
            AddMenu(lines, action->menu()->actions());
    }
}

QStringList Describe(QMainWindow* window) {
    QStringList lines;
    lines << QStringLiteral("title: ") + window->windowTitle();
    QStringList sizes;
    for (const QSize& size : window->windowIcon().availableSizes())
        sizes << QString::number(size.width());
    lines << QStringLiteral("icon: ") + sizes.join(QLatin1Char(' '));
    AddMenu(lines, window->menuBar()->actions());
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (!button->text().isEmpty())
            lines << QStringLiteral("caption: ") + button->text();
    for (QLabel* label : window->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            lines << QStringLiteral("caption: ") + label->text();
    return lines;
}

void Finish(const QStringList& lines, int status) {
    QFile out(qEnvironmentVariable("TWINSEEK_PROBE_OUT"));
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    QCoreApplication::exit(status);
}

class TWindowProbe : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "WindowProbe.json")

public:
    QObject* create(const QString&, const QString&) override {
        // Returned without a parent: the application deletes what its plugins create.
        auto* timer = new QTimer();
        auto tries = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, tries] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* window = qobject_cast<QMainWindow*>(widget);
                if (!window || !window->isVisible())
                    continue;
                timer->stop();
                const QString shot = qEnvironmentVariable("TWINSEEK_PROBE_SHOT");
                if (!shot.isEmpty())
                    window->grab().save(shot);
                Finish(Describe(window), 0);
                return;
            }
            if (++*tries > 400) {  // 20 seconds
                timer->stop();
                Finish({QStringLiteral("no main window")}, 3);
            }
        });
        timer->start(50);
        return timer;
    }
};

}  // namespace

#include "WindowProbe.moc"
