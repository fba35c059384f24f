// The update tests' entry: Qt's offscreen platform, and a private temporary folder and
// settings folder, all set before the application object exists.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include "qtcommon/AppInfo.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string root = (std::filesystem::temp_directory_path() / "twinseek-update-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr)
        return 2;
    // Passable, not listable: the tests that act as a second user reach their trees here.
    ::chmod(root.c_str(), 0711);
    const std::string temp = root + "/tmp";
    const std::string config = root + "/config";
    std::filesystem::create_directories(temp);
    std::filesystem::create_directories(config);
    // The installer lands in the temporary folder: this one, not the machine's.
    ::setenv("TMPDIR", temp.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    // The test server is on loopback; a proxy of the machine must not stand in between.
    ::setenv("no_proxy", "127.0.0.1,localhost", 1);
    ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    ::unsetenv("TWINSEEK_UPDATE_URL");

    int status;
    {
        QApplication application(argc, argv);
        QApplication::setApplicationName(ApplicationTitle);
        QApplication::setOrganizationName(ApplicationTitle);
        testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    std::filesystem::remove_all(root);
    return status;
}
