// Where everything stands on the pages of the printed journal's table: the title and the date
// printed on the first page, the columns, each row's lines wrapped inside their cells, the
// header row at the top of every page, rows never split across pages, the page numbers.
// Positions are in dots of the printer, from the top-left of its printable area.
#pragma once

#include <functional>
#include <string>
#include <vector>

// What the printer and its fonts give.
struct ReportMetrics {
    int pageWidth = 0, pageHeight = 0;  // the printable area
    int dpi = 0;                        // dots per inch, across and down alike
    int lineHeight = 0;                 // a line of the table's font
    int titleHeight = 0;                // a line of the title's font
    // The width of a text in the table's font. Never given a line break.
    std::function<int(const std::u16string&)> measure;
};

struct ReportRow {
    int row = -1;  // index of the row given, -1 for the header row
    int top = 0, height = 0;
    std::vector<std::vector<std::u16string>> lines;  // each column's lines
};

struct ReportPage {
    std::vector<ReportRow> rows;  // the header row first
};

struct ReportLayout {
    int left = 0, right = 0;       // of the table
    std::vector<int> edges;        // the columns' edges, left to right: one more than columns
    int padding = 0;               // between a cell's lines and its edges
    int titleTop = 0;              // the title, first page only
    int printedTop = 0;            // the line saying when and how much was printed, first page
    int footerTop = 0;             // "page 1 of 3" on every page
    std::vector<ReportPage> pages;
};

// The table of `cells` (one vector of column texts per row, as many as `titles`) on as many
// pages as it takes.
ReportLayout LayOutReport(const ReportMetrics& metrics, const std::vector<std::u16string>& titles,
                          const std::vector<std::vector<std::u16string>>& cells);

// `text` in lines no wider than `width`: broken between words, and inside a word only where the
// word alone is wider. Always at least one line.
std::vector<std::u16string> WrapText(const std::u16string& text, int width,
                                     const std::function<int(const std::u16string&)>& measure);
