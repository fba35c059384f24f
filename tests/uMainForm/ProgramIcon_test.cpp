#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QTimer>

#include "WindowFixture.h"
#include "uMainForm/ProgramIcon.h"

namespace {

QImage Picture(const QIcon& icon, int size) {
    return icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(ProgramIcon, IsDrawnAtEveryThemeSizeFromTheSvg) {
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        const QImage picture = Picture(icon, size);
        ASSERT_EQ(picture.size(), QSize(size, size));
        // The corner lies outside both documents; the middle is the front document.
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(picture.pixel(size / 2, size / 2)), 255);
    }
}

TEST(ProgramIcon, TheApplicationTheMainWindowAndTheAboutBoxShowIt) {
    const QImage wanted = Picture(ProgramIcon(), 64);
    EXPECT_EQ(Picture(QApplication::windowIcon(), 64), wanted);

    // The form's own About box, not the recording one of the other window tests.
    TSettingsLanguageStore store;
    TMainForm form(&store);
    EXPECT_EQ(Picture(form.windowIcon(), 64), wanted);

    QImage shown;
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no About box";
            return;
        }
        shown = box->iconPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        text = box->text();
        QDir().mkpath(TWINSEEK_SCREENSHOT_DIR);
        EXPECT_TRUE(box->grab().save(TWINSEEK_SCREENSHOT_DIR "/about.png"));
        box->accept();
    });
    form.About1->trigger();
    EXPECT_EQ(shown, wanted);
    EXPECT_TRUE(text.startsWith("Twinseek\n"));
}

}  // namespace
