// The desktop tests' entry: Qt's offscreen platform and a private session bus for the whole
// run, started before the application object, which may connect to the session bus itself.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

#include "SessionBus.h"

TPrivateSessionBus* TestBus = nullptr;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // No desktop session of the machine may answer in place of the test's own bus.
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strstr(argv[i], "gtest_list_tests") != nullptr;
    TPrivateSessionBus bus;
    if (!listing && bus.Start())
        TestBus = &bus;

    int status;
    {
        QGuiApplication application(argc, argv);
        testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    TestBus = nullptr;
    bus.Stop();
    return status;
}
