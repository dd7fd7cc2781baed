// The printed journal's table: columns across the page, wrapped cells, rows whole on a page, the
// header on every page.
#include <gtest/gtest.h>

#include "frames/journal_report_layout.h"

namespace {

// A monospace font of 10 dots a character, 20 a line, on a page of 3000 x 2000 dots at 300 dpi.
ReportMetrics Metrics() {
    ReportMetrics m;
    m.pageWidth = 3000;
    m.pageHeight = 2000;
    m.dpi = 300;
    m.lineHeight = 20;
    m.titleHeight = 40;
    m.measure = [](const std::u16string& text) { return 10 * static_cast<int>(text.size()); };
    return m;
}

TEST(JournalReport, WrapsBetweenWordsAndInsideTooLongWords) {
    const auto measure = Metrics().measure;
    EXPECT_EQ(WrapText(u"one two three", 70, measure), (std::vector<std::u16string>{u"one two", u"three"}));
    EXPECT_EQ(WrapText(u"abcdefghij xy", 40, measure), (std::vector<std::u16string>{u"abcd", u"efgh", u"ij", u"xy"}));
    EXPECT_EQ(WrapText(u"", 40, measure), (std::vector<std::u16string>{u""}));
}

TEST(JournalReport, RowsFillPagesWholeUnderTheHeader) {
    const std::vector<std::u16string> titles = {u"Frame", u"Read at", u"Item", u"Defect type"};
    std::vector<std::vector<std::u16string>> cells;
    for (int i = 0; i < 200; ++i) {
        // Every seventh row's long text takes several lines in its cell.
        std::u16string item = i % 7 == 0 ? std::u16string(400, u'x') + u" end" : u"weld " + std::u16string(1, u'a' + i % 26);
        cells.push_back({u"1", u"2026-12-08 10:00", item, u"none"});
    }
    const ReportMetrics metrics = Metrics();
    const ReportLayout layout = LayOutReport(metrics, titles, cells);

    ASSERT_EQ(layout.edges.size(), titles.size() + 1);
    EXPECT_EQ(layout.edges.front(), layout.left);
    EXPECT_EQ(layout.edges.back(), layout.right);
    EXPECT_LE(layout.right, metrics.pageWidth);
    ASSERT_GT(layout.pages.size(), 1u);
    EXPECT_GT(layout.pages[0].rows.front().top, layout.printedTop) << "the table starts below the title block";

    int next = 0;
    for (const ReportPage& page : layout.pages) {
        ASSERT_FALSE(page.rows.empty());
        EXPECT_EQ(page.rows.front().row, -1) << "each page starts with the header row";
        EXPECT_EQ(page.rows.front().lines[0], (std::vector<std::u16string>{u"Frame"}));
        int y = page.rows.front().top;
        for (const ReportRow& row : page.rows) {
            EXPECT_EQ(row.top, y) << "rows follow one another";
            y += row.height;
            if (row.row < 0) continue;
            EXPECT_EQ(row.row, next++) << "every row once, in order";
            for (size_t c = 0; c < row.lines.size(); ++c)
                for (const std::u16string& line : row.lines[c])
                    EXPECT_LE(metrics.measure(line), layout.edges[c + 1] - layout.edges[c] - 2 * layout.padding);
        }
        EXPECT_LE(y, layout.footerTop) << "no row runs into the page number";
    }
    EXPECT_EQ(next, 200);
    // The long text wraps within its cell rather than being cut, and the row is as high as it.
    const ReportRow& tall = layout.pages[0].rows[1];
    std::u16string joined;
    for (const std::u16string& line : tall.lines[2]) joined += line;
    EXPECT_EQ(joined.substr(0, 400), std::u16string(400, u'x'));
    EXPECT_EQ(joined.substr(joined.size() - 3), u"end");
    ASSERT_GE(tall.lines[2].size(), 2u);
    EXPECT_EQ(tall.height, static_cast<int>(tall.lines[2].size()) * metrics.lineHeight + 2 * layout.padding);
}

TEST(JournalReport, ARowTallerThanAPageIsCutToThePage) {
    const ReportMetrics metrics = Metrics();
    const ReportLayout layout = LayOutReport(metrics, {u"A"}, {{u"short"}, {std::u16string(40000, u'y')}});
    ASSERT_EQ(layout.pages.size(), 2u);
    const ReportRow& cut = layout.pages[1].rows[1];
    EXPECT_EQ(cut.row, 1);
    EXPECT_LE(cut.top + cut.height, layout.footerTop);
}

}  // namespace
