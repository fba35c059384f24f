// Lists 100,000 file rows (in groups of three) into the File Clones model, shows them, pages
// through them, and reports the times and the memory per row.
//   list_model_bench [rows]     (QT_QPA_PLATFORM=offscreen when there is no display)
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/FileListing.h"
#include "uMainForm/ResultModel.h"
#include "uMainForm/ResultView.h"

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

Text Number(int n) {
    Text text;
    for (char c : std::to_string(n))
        text += static_cast<char16_t>(c);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;

    TResultModel model({u"Group", u"File name", u"Directory", u"File size (MB)"});
    TResultView view;
    view.SetResultModel(&model);
    view.resize(1100, 600);
    view.show();
    QApplication::processEvents();
    const long before = ResidentKiB();

    QElapsedTimer clock;
    clock.start();
    {
        TListUpdateGuard update(model);
        int groupNo = 1;
        for (int i = 0; i < rows; ++groupNo) {
            model.AddGroup(groupNo, u"Group " + Number(groupNo) + u" (12.34 MB)");
            for (int k = 0; k < 3 && i < rows; ++k, ++i) {
                TListItem item;
                item.Caption = Number(groupNo);
                item.SubItems = {
                    u"holiday_picture_" + Number(i) + u".jpg",
                    u"/home/someone/Pictures/2021/Summer holidays/day " + Number(i % 97),
                    u"4.11 MB"};
                item.GroupId = groupNo;
                item.Checked = k != 0;
                model.AddItem(std::move(item));
            }
        }
    }
    const qint64 listed = clock.elapsed();
    view.repaint();
    QApplication::processEvents();
    const qint64 shown = clock.elapsed();
    const long after = ResidentKiB();

    // Page through the whole list, painting every page.
    QScrollBar* bar = view.verticalScrollBar();
    clock.restart();
    int pages = 0;
    for (int value = 0; value <= bar->maximum(); value += bar->pageStep(), ++pages) {
        bar->setValue(value);
        view.viewport()->repaint();
    }
    const qint64 scrolled = clock.elapsed();

    const int shownRows = model.rowCount() + rows;
    std::printf("rows listed: %d items in %d groups (%d view rows)\n", rows, model.rowCount(),
                shownRows);
    std::printf("list into model: %lld ms\n", static_cast<long long>(listed));
    std::printf("list and show:   %lld ms\n", static_cast<long long>(shown));
    std::printf("scroll through:  %d pages in %lld ms (%.2f ms a page)\n", pages,
                static_cast<long long>(scrolled), pages ? double(scrolled) / pages : 0.0);
    std::printf("memory: %ld KiB for %d items, %.0f bytes per item row (model, index and view)\n",
                after - before, rows, (after - before) * 1024.0 / rows);
    return 0;
}
