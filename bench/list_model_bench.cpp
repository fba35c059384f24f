// Lists 100,000 file rows (in groups of three) into the File Clones model, shows them, pages
// through them, sorts them by a column, narrows them with the filter one keystroke at a
// time, checks them all, and reports the times and the memory per row.
//   list_model_bench [rows] [--no-scroll]   (QT_QPA_PLATFORM=offscreen without a display)
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/CheckMarks.h"
#include "core/FileInfo.h"
#include "core/ResultList.h"
#include "core/ResultRows.h"
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
    // Paging through 100,000 rows takes most of the run.
    const bool scroll = !(argc > 2 && std::string(argv[2]) == "--no-scroll");

    TResultModel model({u"Group", u"File name", u"Directory", u"File size (MB)"});
    // The records the rows point to, as a scan keeps them: the rows and the filter read them.
    // 4.11 MB each.
    TFileList records;
    for (int i = 0; i < rows; ++i)
        records.Add(u"/home/someone/Pictures/2021/Summer holidays/day " + Number(i % 97) +
                        u"/holiday_picture_" + Number(i) + u".jpg",
                    4309647);
    TResultView view;
    view.SetResultModel(&model);
    view.resize(1100, 600);
    view.show();
    QApplication::processEvents();
    const long before = ResidentKiB();

    QElapsedTimer clock;
    clock.start();
    {
        // As a scan lists its groups.
        TListUpdateGuard update(model);
        int groupNo = 1;
        std::vector<TFileInfo*> group;
        for (int i = 0; i < rows;) {
            group.clear();
            for (int k = 0; k < 3 && i < rows; ++k, ++i)
                group.push_back(records[static_cast<std::size_t>(i)]);
            AddFileGroup(model, group, 3 * 4309647, groupNo);
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
    for (int value = 0; scroll && value <= bar->maximum(); value += bar->pageStep(), ++pages) {
        bar->setValue(value);
        view.viewport()->repaint();
    }
    const qint64 scrolled = clock.elapsed();

    // Sort by the name column, both ways, each painted.
    bar->setValue(0);
    clock.restart();
    model.sort(1, Qt::DescendingOrder);
    view.viewport()->repaint();
    const qint64 sortedDown = clock.elapsed();
    clock.restart();
    model.sort(1, Qt::AscendingOrder);
    view.viewport()->repaint();
    const qint64 sortedUp = clock.elapsed();
    // The filter typed one key at a time: "day 1" matches about a tenth of the rows, "day 17"
    // one in 97; then cleared again.
    const QString typed = QStringLiteral("day 17");
    qint64 slowestKey = 0;
    for (qsizetype n = 1; n <= typed.size(); ++n) {
        clock.restart();
        model.SetFilter(typed.left(n));
        QApplication::processEvents();
        view.viewport()->repaint();
        slowestKey = std::max(slowestKey, clock.elapsed());
    }
    const int filteredGroups = model.ShownGroupCount();
    clock.restart();
    model.SetFilter(QString());
    view.viewport()->repaint();
    const qint64 cleared = clock.elapsed();
    // Check all, as the command does it.
    clock.restart();
    SetAllChecked(model, true);
    QApplication::processEvents();
    view.viewport()->repaint();
    const qint64 checkedAll = clock.elapsed();

    const int shownRows = model.rowCount() + rows;
    std::printf("rows listed: %d items in %d groups (%d view rows)\n", rows, model.rowCount(),
                shownRows);
    std::printf("list into model: %lld ms\n", static_cast<long long>(listed));
    std::printf("list and show:   %lld ms\n", static_cast<long long>(shown));
    if (scroll)
        std::printf("scroll through:  %d pages in %lld ms (%.2f ms a page)\n", pages,
                    static_cast<long long>(scrolled), pages ? double(scrolled) / pages : 0.0);
    std::printf("sort by name:    %lld ms descending, %lld ms ascending\n",
                static_cast<long long>(sortedDown), static_cast<long long>(sortedUp));
    std::printf(
        "filter \"day 17\": %lld ms for the slowest keystroke (%d groups left), "
        "%lld ms to clear\n",
        static_cast<long long>(slowestKey), filteredGroups, static_cast<long long>(cleared));
    std::printf("check all:       %lld ms\n", static_cast<long long>(checkedAll));
    std::printf("memory: %ld KiB for %d items, %.0f bytes per item row (model, index and view)\n",
                after - before, rows, (after - before) * 1024.0 / rows);
    return 0;
}
