#include "core/CsvExport.h"

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
        AppendQuoted(csv, item.Caption);
        for (const Text& sub : item.SubItems) {
            csv += ',';
            AppendQuoted(csv, sub);
        }
        csv += "\r\n";
    }
    return csv;
}

void ExportListViewToCsv(const TResultList& list, const Text& fileName) {
    Platform::WriteWholeFile(fileName, ListViewToCsv(list));
}
