// The window tests' entry: Qt's offscreen platform and a private settings folder, both set
// before the application object exists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "qtcommon/AppInfo.h"
#include "uMainForm/Application.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string config =
        (std::filesystem::temp_directory_path() / "twinseek-window-XXXXXX").string();
    if (::mkdtemp(config.data()) == nullptr)
        return 2;
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    // The digest cache too: the tests never touch the user's.
    ::setenv("XDG_CACHE_HOME", (config + "/cache").c_str(), 1);
    ::setenv("LC_ALL", "C", 1);  // a point as decimal separator in size texts

    int status;
    {
        TApplication application(argc, argv);
        QApplication::setApplicationName(ApplicationTitle);
        QApplication::setOrganizationName(ApplicationTitle);
        testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    std::filesystem::remove_all(config);
    return status;
}
