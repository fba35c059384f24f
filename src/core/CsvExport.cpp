#include "core/CsvExport.h"

#include "core/ResultRows.h"
#include "platform/FileWrite.h"

namespace {

void AppendQuoted(std::string& line, const Text& field) {
    line += '"';
    for (char c : Platform::TextToUtf8(field)) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

}  // namespace

std::string ListViewToCsv(const TResultList& list) {
    std::string csv = "\xEF\xBB\xBF";
    for (int c = 0; c < list.ColumnCount(); ++c) {
        if (c > 0)
            csv += ',';
        csv += Platform::TextToUtf8(list.ColumnCaption(c));  // bare: as the window shows it
    }
    csv += "\r\n";
    for (int i = 0; i < list.ItemCount(); ++i) {
        const TListItem& item = list.ItemAt(i);
        for (int c = 0; c < ItemColumnCount(item); ++c) {
            if (c > 0)
                csv += ',';
            AppendQuoted(csv, ItemText(item, c));
        }
        csv += "\r\n";
    }
    return csv;
}

void ExportListViewToCsv(const TResultList& list, const Text& fileName) {
    Platform::WriteWholeFile(fileName, ListViewToCsv(list));
}
