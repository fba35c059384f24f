// Every language of the shipped table in the real window: a start with the stored choice,
// captions that are not cut off, right to left for Arabic, and a screenshot per language
// (build folder, screenshots/) for a person to look at.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <functional>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "core/ResultRows.h"
#include "qtcommon/QtText.h"
#include "support/TempTree.h"
#include "translation/TextFormat.h"
#include "translation/Translation.h"
#include "uMainForm/ResultView.h"

namespace {

// A caption is cut off when its text is wider than the room its widget gives it. The
// padding is what a frame and a little air take at least.
constexpr int Padding = 8;

int TextWidth(const QWidget* widget, QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return widget->fontMetrics().horizontalAdvance(text);
}

// Every caption of the window that could be cut, with the room it has.
void ExpectCaptionsFit(TMainForm& form) {
    for (QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty() || !button->isVisible())
            continue;
        SCOPED_TRACE(button->objectName().toStdString() + ": " + button->text().toStdString());
        if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
            EXPECT_GE(button->width(), button->sizeHint().width());  // the box and the text
        else
            EXPECT_GE(button->width(), TextWidth(button, button->text()) + Padding);
    }
    for (QLabel* label : form.findChildren<QLabel*>()) {
        if (label == form.lblStatus || !label->isVisible())
            continue;  // the status line takes what the strip leaves, in any language
        SCOPED_TRACE(label->objectName().toStdString() + ": " + label->text().toStdString());
        EXPECT_GE(label->contentsRect().width(), TextWidth(label, label->text()));
    }
    EXPECT_GE(form.rgCompare->width(),
              TextWidth(form.rgCompare, form.rgCompare->title()) + Padding);
    QTabBar* tabs = form.PageControl1->tabBar();
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_GE(tabs->tabRect(i).width(), TextWidth(tabs, tabs->tabText(i)) + Padding)
            << tabs->tabText(i).toStdString();
    for (TResultView* view : {form.lvFiles, form.lvDirs}) {
        // A header elides its caption beyond the section less the style's margins.
        QHeaderView* header = view->header();
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int i = 0; i < header->count(); ++i) {
            const QString caption = view->model()->headerData(i, Qt::Horizontal).toString();
            EXPECT_GE(header->sectionSize(i) - 2 * margin, TextWidth(header, caption))
                << caption.toStdString();
        }
    }
    // Every menu title has its place in the bar (none pushed into an overflow button).
    QMenuBar* bar = form.menuBar();
    for (QAction* menu : bar->actions()) {
        const QRect place = bar->actionGeometry(menu);
        EXPECT_TRUE(place.isValid() && bar->rect().contains(place)) << menu->text().toStdString();
        EXPECT_GE(place.width(), TextWidth(bar, menu->text()));
    }
}

// The menus side by side, as they drop down, and the rows' context menu.
QImage MenusPicture(TMainForm& form) {
    std::vector<QPixmap> pictures;
    int width = 0;
    int height = 0;
    for (QMenu* menu : {form.File1, form.Action1, form.Edit1, form.View1, form.Help1, form.Page1,
                        form.mmLanguage, form.pmList}) {
        menu->adjustSize();
        pictures.push_back(menu->grab());
        width += pictures.back().width() + 8;
        height = qMax(height, pictures.back().height());
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    int x = 0;
    for (const QPixmap& picture : pictures) {
        painter.drawPixmap(x, 0, picture);
        x += picture.width() + 8;
    }
    return image;
}

class ShippedLanguages : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!QFile::exists(TWINSEEK_SHIPPED_TABLE))
            GTEST_SKIP() << "no shipped transl.dt";
    }
    void TearDown() override {
        ResetTranslations();
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Twinseek").clear();
        QApplication::setLayoutDirection(Qt::LeftToRight);
    }
    void Load(const Text& storedCode) {
        Store.WriteCurrentLanguage(storedCode);
        LoadTranslationsFrom(ToText(TWINSEEK_SHIPPED_TABLE), &Store);
    }
    // The table's own text of an English key in the current language.
    static QString Expected(TextView english) {
        const std::vector<Text>& keys = TranslationTable[0];
        const std::vector<Text>& texts = TranslationTable[CurrentLanguageIndex];
        for (std::size_t k = 2; k < keys.size(); ++k)
            if (keys[k] == english)
                return Q(texts[k]);
        ADD_FAILURE() << "no row for " << Q(Text(english)).toStdString();
        return {};
    }

    TSettingsLanguageStore Store;
};

TEST_P(ShippedLanguages, StartsInTheStoredLanguageWithCaptionsThatFit) {
    const QString code = QString::fromLatin1(GetParam());
    Load(ToText(code));
    ASSERT_EQ(Q(TranslationTable[CurrentLanguageIndex][1]), code);

    TTestForm form(&Store);
    form.show();
    QCoreApplication::processEvents();

    // The stored language is the one checked item of the Language menu.
    const QList<QAction*> items = form.mmLanguage->actions();
    ASSERT_EQ(items.size(), static_cast<int>(TranslationTable.size()));
    for (int i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->isChecked(), i == CurrentLanguageIndex) << i;
        EXPECT_EQ(items[i]->text(), Q(TranslationTable[i][0]));
    }

    // A caption of each kind of control.
    const std::vector<std::pair<TextView, std::function<QString()>>> captions = {
        {u"File", [&] { return form.File1->title(); }},
        {u"Check All", [&] { return form.Checkall1->text(); }},
        {u"Language", [&] { return form.mmLanguage->title(); }},
        {u"Folders to scan:", [&] { return form.Label1->text(); }},
        {u"Find folder clones", [&] { return form.chkDirDuplicates->text(); }},
        {u"Compare files by", [&] { return form.rgCompare->title(); }},
        {u"Name && Size", [&] { return form.rgCompareItem[2]->text(); }},
        {u"Scan", [&] { return form.btnScan->text(); }},
        {u"Folder Clones", [&] { return form.PageControl1->tabText(1); }},
        {u"Delete checked to Recycle Bin", [&] { return form.btnDeleteSelected->text(); }},
        {u"Ready", [&] { return form.lblStatus->text(); }},
        {u"File size (MB)", [&] { return Q(form.FilesList().ColumnCaption(3)); }},
    };
    for (const auto& [key, shown] : captions)
        EXPECT_EQ(shown(), Expected(key)) << Q(Text(key)).toStdString();

    const bool arabic = code == "ar";
    EXPECT_EQ(form.layoutDirection(), arabic ? Qt::RightToLeft : Qt::LeftToRight);
    ExpectCaptionsFit(form);

    if (code == "en") {
        // English keeps the window's design widths.
        EXPECT_EQ(form.btnStop->width(), 72);
        EXPECT_EQ(form.btnSelectAllButOne->width(), 216);
        EXPECT_EQ(form.btnDeleteSelected->width(), 238);
        const int filesWidths[] = {60, 300, 520, 100};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(form.lvFiles->columnWidth(i), filesWidths[i]) << i;
        const int dirsWidths[] = {60, 740, 160};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(form.lvDirs->columnWidth(i), dirsWidths[i]) << i;
    }

    QDir().mkpath(TWINSEEK_SCREENSHOT_DIR);
    const QString base = QStringLiteral(TWINSEEK_SCREENSHOT_DIR "/language-") + code;
    EXPECT_TRUE(form.grab().save(base + ".png"));
    EXPECT_TRUE(MenusPicture(form).save(base + "-menus.png"));
    form.close();
}

INSTANTIATE_TEST_SUITE_P(Table, ShippedLanguages,
                         testing::Values("en", "ar", "cn", "cs", "de", "el", "es", "fr", "hu", "it",
                                         "jp", "kr", "nl", "pl", "pt", "tr"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

class ArabicSwitch : public ShippedLanguages {
protected:
    // The Language menu's item of a code of the table.
    static QAction* LanguageItem(TMainForm& form, const char* code) {
        for (int i = 0; i < static_cast<int>(TranslationTable.size()); ++i)
            if (TranslationTable[i][1] == ToText(QString::fromLatin1(code)))
                return form.mmLanguage->actions().at(i);
        return nullptr;
    }
};

TEST_F(ArabicSwitch, TheWindowTurnsRightToLeftAndBackWithoutARestart) {
    Load(u"en");
    TTestForm form(&Store);
    form.show();
    QCoreApplication::processEvents();
    auto item = [&](const char* code) { return LanguageItem(form, code); };
    // Where Stop sits: at the right end of the status strip, or mirrored to the left end.
    auto stopOnTheRight = [&] {
        QCoreApplication::processEvents();
        return form.btnStop->x() > form.lblStatus->x();
    };
    ASSERT_TRUE(item("ar") && item("de"));
    EXPECT_EQ(form.layoutDirection(), Qt::LeftToRight);
    EXPECT_TRUE(stopOnTheRight());

    item("ar")->trigger();
    EXPECT_EQ(QApplication::layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(form.layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(form.menuBar()->layoutDirection(), Qt::RightToLeft);
    EXPECT_FALSE(stopOnTheRight());
    EXPECT_EQ(form.File1->title(), Q(TranslateText(u"File")));
    EXPECT_NE(form.File1->title(), "File");

    item("de")->trigger();
    EXPECT_EQ(QApplication::layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(form.layoutDirection(), Qt::LeftToRight);
    EXPECT_TRUE(stopOnTheRight());
    EXPECT_EQ(form.File1->title(), "Datei");
    form.close();
}

// How many pixels of a header row are drawn in the header's colour.
int HeaderInk(TResultView* view, const QModelIndex& header) {
    const QImage shot = view->viewport()->grab().toImage();
    const QColor ink = view->palette().color(QPalette::Active, QPalette::Link);
    const QRect row = view->visualRect(header);
    int count = 0;
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            count += shot.pixelColor(x, y) == ink;
    return count;
}

TEST_F(ArabicSwitch, GroupHeadersShowAndPathsStayLeftToRightThenFollowALiveSwitch) {
    Load(u"ar");
    TTempTree tree;
    tree.File("photos/a (1).jpg", "same bytes");
    tree.File("copy/a (1).jpg", "same bytes");
    TTestForm form(&Store);
    PrepareSmallScan(form, 3, QString::fromStdString(tree.Root()) + "/");
    form.show();
    form.btnScan->click();
    QCoreApplication::processEvents();
    TResultModel& list = form.FilesList();
    ASSERT_EQ(list.rowCount(), 1);
    const QModelIndex header = list.index(0, 0);

    // The size is one left-to-right run inside the Arabic header, and the header is drawn.
    const QString isolatedSize =
        QStringLiteral("\u2066") + "0.00" + Q(TranslateText(u" MB")) + QStringLiteral("\u2069");
    EXPECT_EQ(header.data().toString(),
              Q(FormatText(TranslateText(u"Group %d (%s)"), {1, ToText(isolatedSize)})));
    EXPECT_EQ(Q(list.GroupAt(0).Header), Q(TranslateFormat(u"Group %d (%s)", {1, u"0.00 MB"})));
    EXPECT_GT(HeaderInk(form.lvFiles, header), 20);
    // Names, paths and sizes likewise; the list itself keeps the bare texts.
    const QModelIndex first = list.index(0, 0, header);
    const QString directory = QString::fromStdString(tree.Path("copy"));
    EXPECT_EQ(first.siblingAtColumn(1).data().toString(), "\u2066a (1).jpg\u2069");
    EXPECT_EQ(first.siblingAtColumn(2).data().toString(), "\u2066" + directory + "\u2069");
    EXPECT_EQ(Q(ItemText(list.ItemAt(0), 2)), directory);
    QDir().mkpath(TWINSEEK_SCREENSHOT_DIR);
    EXPECT_TRUE(form.grab().save(TWINSEEK_SCREENSHOT_DIR "/window-ar.png"));

    // A live switch writes the listed headers again, in German, in French (another unit, which
    // the rows' sizes take too) and then in English.
    auto item = [&](const char* code) { return LanguageItem(form, code); };
    ASSERT_TRUE(item("de") && item("fr") && item("en"));
    item("de")->trigger();
    EXPECT_EQ(header.data().toString(), "Gruppe 1 (0.00 MB)");
    EXPECT_EQ(first.siblingAtColumn(2).data().toString(), directory);
    EXPECT_GT(HeaderInk(form.lvFiles, header), 20);
    item("fr")->trigger();
    EXPECT_EQ(header.data().toString(), "Groupe 1 (0.00 Mo)");
    EXPECT_EQ(first.siblingAtColumn(3).data().toString(), "0.00 Mo");
    item("en")->trigger();
    EXPECT_EQ(header.data().toString(), "Group 1 (0.00 MB)");
    EXPECT_EQ(Q(list.GroupAt(0).Header), "Group 1 (0.00 MB)");
    EXPECT_EQ(first.siblingAtColumn(3).data().toString(), "0.00 MB");
    form.close();
}

}  // namespace
