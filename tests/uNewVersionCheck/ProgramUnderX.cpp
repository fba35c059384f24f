// The program itself, as a process on a virtual X server: the version gate before any main
// window, the dialog closed with the window's close box or its second button.
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <optional>
#include <string>

#include "UpdateFixture.h"

// Last: the X headers define macros (None, Bool, Status) that other headers use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

const QString DialogTitle = QStringLiteral(" Twinseek");
const QString MainWindowTitle = QStringLiteral("Twinseek 2.1");

// Windows come and go while the test looks at them; a request about one that is gone is
// no reason to end the test program, which is what Xlib does by default.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

// Xvfb started for one test, with a client connection to it.
class TVirtualScreen {
public:
    TVirtualScreen() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            FProblem = "no virtual X server (Xvfb) on this machine";
            return;
        }
        // -displayfd 1: the server picks a free display and writes its number to stdout.
        FServer.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        QByteArray number;
        const QDeadlineTimer deadline(10000);
        while (!number.contains('\n') && !deadline.hasExpired() &&
               FServer.state() != QProcess::NotRunning) {
            FServer.waitForReadyRead(200);
            number += FServer.readAllStandardOutput();
        }
        if (!number.contains('\n')) {
            FProblem = "Xvfb gave no display: " + FServer.readAllStandardError().toStdString();
            return;
        }
        FDisplayName = ":" + number.trimmed();
        XSetErrorHandler(IgnoreXError);
        FDisplay = XOpenDisplay(FDisplayName.constData());
        if (!FDisplay)
            FProblem = "cannot connect to " + FDisplayName.toStdString();
    }
    ~TVirtualScreen() {
        if (FDisplay)
            XCloseDisplay(FDisplay);
        FServer.terminate();
        FServer.waitForFinished(5000);
    }

    bool Ready() const { return FDisplay != nullptr; }
    const std::string& Problem() const { return FProblem; }
    QByteArray Name() const { return FDisplayName; }

    // The titles of the mapped top-level windows (no window manager: children of the root).
    std::optional<Window> FindWindow(const QString& title) {
        Window root, parent;
        Window* children = nullptr;
        unsigned count = 0;
        std::optional<Window> found;
        if (!XQueryTree(FDisplay, DefaultRootWindow(FDisplay), &root, &parent, &children, &count))
            return found;
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(FDisplay, children[i], &attributes) ||
                attributes.map_state != IsViewable)
                continue;
            if (Title(children[i]) == title)
                found = children[i];
        }
        if (children)
            XFree(children);
        return found;
    }

    // What the window manager does when the user clicks the close box.
    void CloseBox(Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(FDisplay, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(FDisplay, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(FDisplay, window, False, NoEventMask, &event);
        XFlush(FDisplay);
    }

    // A left click at a point of the window.
    void Click(Window window, int x, int y) {
        for (int type : {ButtonPress, ButtonRelease}) {
            XEvent event{};
            event.xbutton.type = type;
            event.xbutton.window = window;
            event.xbutton.root = DefaultRootWindow(FDisplay);
            event.xbutton.x = x;
            event.xbutton.y = y;
            event.xbutton.button = Button1;
            event.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
            event.xbutton.same_screen = True;
            event.xbutton.time = CurrentTime;
            XSendEvent(FDisplay, window, True,
                       type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
        }
        XFlush(FDisplay);
    }

private:
    QString Title(Window window) {
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        QString title;
        if (XGetWindowProperty(FDisplay, window, XInternAtom(FDisplay, "_NET_WM_NAME", False), 0,
                               1024, False, XInternAtom(FDisplay, "UTF8_STRING", False), &type,
                               &format, &items, &after, &data) == Success &&
            data) {
            title = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(items));
            XFree(data);
        }
        return title;
    }

    QProcess FServer;
    QByteArray FDisplayName;
    Display* FDisplay = nullptr;
    std::string FProblem;
};

class ProgramTest : public UpdateTest {
protected:
    void SetUp() override {
        UpdateTest::SetUp();
        if (!Screen.Ready())
            GTEST_SKIP() << Screen.Problem();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", Screen.Name());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("TWINSEEK_UPDATE_URL", Server.Base());
        environment.insert("XDG_CONFIG_HOME", Home.filePath("config"));
        environment.insert("TMPDIR", Home.path());
        environment.insert("LANGUAGE", "en");
        environment.insert("no_proxy", "127.0.0.1");
        Program.setProcessEnvironment(environment);
    }
    void TearDown() override {
        if (Program.state() != QProcess::NotRunning) {
            Program.kill();
            Program.waitForFinished(5000);
        }
        UpdateTest::TearDown();
    }

    // Runs the event loop (the test's server answers from it) until the condition holds.
    bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000) {
        const QDeadlineTimer deadline(timeoutMs);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QTest::qWait(50);
        }
        return true;
    }

    // Waits for the program's end; notes whether a main window was ever on the screen.
    bool WaitForEnd(bool* sawMainWindow) {
        return WaitFor([&] {
            if (Screen.FindWindow(MainWindowTitle))
                *sawMainWindow = true;
            return Program.state() == QProcess::NotRunning;
        });
    }

    TVirtualScreen Screen;
    QTemporaryDir Home;
    QProcess Program;
};

TEST_F(ProgramTest, DemandClosedEndsTheProgramWithoutMainWindow) {
    ServeVersion("22/22", "Important fix\n");
    for (const char* way : {"close box", "Exit"}) {
        SCOPED_TRACE(way);
        Program.start(QStringLiteral(TWINSEEK_PROGRAM), {});
        std::optional<Window> dialog;
        ASSERT_TRUE(WaitFor([&] { return (dialog = Screen.FindWindow(DialogTitle)).has_value(); }))
            << "the dialog did not appear";
        bool sawMainWindow = false;
        if (std::string(way) == "close box")
            Screen.CloseBox(*dialog);
        else
            Screen.Click(*dialog, 327 + 37, 151 + 12);  // the middle of the second button
        ASSERT_TRUE(WaitForEnd(&sawMainWindow)) << "the program did not end";
        EXPECT_EQ(Program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(Program.exitCode(), 0);
        EXPECT_FALSE(sawMainWindow);
    }
}

TEST_F(ProgramTest, OfferSkippedStartsTheMainWindow) {
    ServeVersion("22/21", "New icons\n");
    Program.start(QStringLiteral(TWINSEEK_PROGRAM), {});
    std::optional<Window> window;
    ASSERT_TRUE(WaitFor([&] { return (window = Screen.FindWindow(DialogTitle)).has_value(); }));
    EXPECT_FALSE(Screen.FindWindow(MainWindowTitle));  // the gate comes first
    Screen.Click(*window, 327 + 37, 151 + 12);
    ASSERT_TRUE(WaitFor([&] { return (window = Screen.FindWindow(MainWindowTitle)).has_value(); }))
        << "the main window did not appear";
    Screen.CloseBox(*window);
    bool sawMainWindow = false;
    ASSERT_TRUE(WaitForEnd(&sawMainWindow));
    EXPECT_EQ(Program.exitCode(), 0);
}

}  // namespace
