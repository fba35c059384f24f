#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "uMainForm/Application.h"

namespace {

TEST(ApplicationTest, AnErrorEscapingACommandIsShownAndTheProgramGoesOn) {
    auto* application = dynamic_cast<TApplication*>(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    QStringList shown;
    const auto previous = application->FShowError;
    application->FShowError = [&](const QString& text) { shown << text; };

    QPushButton button("Go");
    button.show();
    int runs = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        ++runs;
        throw std::runtime_error("Disk on fire");
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    application->FShowError = previous;
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(shown, QStringList({"Disk on fire", "Disk on fire"}));
}

}  // namespace
