// The printed journal's table, laid out.
#include "frames/journal_report_layout.h"

#include <algorithm>

namespace {

// Fractions of an inch.
int Inches(int dpi, int numerator, int denominator) { return dpi * numerator / denominator; }

std::vector<std::u16string> Words(const std::u16string& text) {
    std::vector<std::u16string> words;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == u' ') ++at;
        size_t end = at;
        while (end < text.size() && text[end] != u' ') ++end;
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

int WidestWord(const std::u16string& text, const std::function<int(const std::u16string&)>& measure) {
    int widest = 0;
    for (const std::u16string& word : Words(text)) widest = std::max(widest, measure(word));
    return widest;
}

// Each column's width: what its widest text needs where all fit; else every column keeps at
// least what it needs up to an equal share, and the rest goes to the columns in proportion to
// what they lack.
std::vector<int> ColumnWidths(const std::vector<int>& natural, int available) {
    const int count = static_cast<int>(natural.size());
    std::vector<int> widths(natural.size());
    long long total = 0;
    for (int n : natural) total += n;
    if (total <= available) {
        int used = 0;
        for (int i = 0; i < count; ++i) used += widths[i] = static_cast<int>(natural[i] * 1LL * available / std::max(total, 1LL));
        widths.back() += available - used;
        return widths;
    }
    std::vector<int> least(natural.size());
    long long leastTotal = 0, lacking = 0;
    for (int i = 0; i < count; ++i) {
        least[i] = std::min(natural[i], available / count);
        leastTotal += least[i];
        lacking += natural[i] - least[i];
    }
    int used = 0;
    for (int i = 0; i < count; ++i)
        used += widths[i] = least[i] + static_cast<int>((available - leastTotal) * (natural[i] - least[i]) / std::max(lacking, 1LL));
    widths.back() += available - used;
    return widths;
}

ReportRow PlaceRow(int index, const std::vector<std::u16string>& texts, const ReportLayout& layout,
                   const ReportMetrics& metrics) {
    ReportRow row;
    row.row = index;
    size_t most = 1;
    for (size_t c = 0; c < texts.size(); ++c) {
        const int width = layout.edges[c + 1] - layout.edges[c] - 2 * layout.padding;
        row.lines.push_back(WrapText(texts[c], width, metrics.measure));
        most = std::max(most, row.lines.back().size());
    }
    row.height = static_cast<int>(most) * metrics.lineHeight + 2 * layout.padding;
    return row;
}

// A row that no page holds keeps the lines that fit.
void Cut(ReportRow* row, int height, const ReportLayout& layout, const ReportMetrics& metrics) {
    const size_t lines = static_cast<size_t>(std::max(1, (height - 2 * layout.padding) / std::max(1, metrics.lineHeight)));
    for (std::vector<std::u16string>& cell : row->lines)
        if (cell.size() > lines) cell.resize(lines);
    row->height = std::min(row->height, static_cast<int>(lines) * metrics.lineHeight + 2 * layout.padding);
}

}  // namespace

std::vector<std::u16string> WrapText(const std::u16string& text, int width,
                                     const std::function<int(const std::u16string&)>& measure) {
    std::vector<std::u16string> lines;
    const int space = measure(u" ");
    std::u16string line;
    int lineWidth = 0;
    for (const std::u16string& word : Words(text)) {
        const int wordWidth = measure(word);
        if (!line.empty() && lineWidth + space + wordWidth <= width) {
            line += u' ';
            line += word;
            lineWidth += space + wordWidth;
            continue;
        }
        if (!line.empty()) lines.push_back(line);
        line.clear();
        lineWidth = 0;
        if (wordWidth <= width) {
            line = word;
            lineWidth = wordWidth;
            continue;
        }
        // A word wider than the cell: as many characters a line as fit, at least one.
        for (char16_t c : word) {
            const int charWidth = measure(std::u16string(1, c));
            if (!line.empty() && lineWidth + charWidth > width) {
                lines.push_back(line);
                line.clear();
                lineWidth = 0;
            }
            line += c;
            lineWidth += charWidth;
        }
    }
    if (!line.empty() || lines.empty()) lines.push_back(line);
    return lines;
}

ReportLayout LayOutReport(const ReportMetrics& metrics, const std::vector<std::u16string>& titles,
                          const std::vector<std::vector<std::u16string>>& cells) {
    ReportLayout layout;
    const int margin = Inches(metrics.dpi, 2, 5);
    layout.padding = Inches(metrics.dpi, 1, 25);
    layout.left = margin;
    layout.right = std::max(margin + 1, metrics.pageWidth - margin);
    layout.titleTop = margin;
    layout.printedTop = layout.titleTop + metrics.titleHeight;
    layout.footerTop = metrics.pageHeight - margin - metrics.lineHeight;

    // The widest text of each column, and no less than the widest word of its title.
    const int available = layout.right - layout.left;
    std::vector<int> natural(titles.size());
    for (size_t c = 0; c < titles.size(); ++c) {
        int widest = WidestWord(titles[c], metrics.measure);
        for (const std::vector<std::u16string>& row : cells)
            if (c < row.size() && widest < available) widest = std::max(widest, metrics.measure(row[c]));
        natural[c] = std::min(widest, available / 2) + 2 * layout.padding;
    }
    const std::vector<int> widths = ColumnWidths(natural, available);
    layout.edges.push_back(layout.left);
    for (int width : widths) layout.edges.push_back(layout.edges.back() + width);

    const int firstTop = layout.printedTop + metrics.lineHeight * 2;
    const int otherTop = margin;
    const int bottom = layout.footerTop - metrics.lineHeight;
    const ReportRow header = PlaceRow(-1, titles, layout, metrics);

    auto startPage = [&](int top) {
        layout.pages.emplace_back();
        ReportRow placed = header;
        placed.top = top;
        layout.pages.back().rows.push_back(placed);
        return top + header.height;
    };
    int y = startPage(firstTop);
    for (size_t i = 0; i < cells.size(); ++i) {
        ReportRow row = PlaceRow(static_cast<int>(i), cells[i], layout, metrics);
        const bool pageHasRows = layout.pages.back().rows.size() > 1;
        if (y + row.height > bottom && pageHasRows) y = startPage(otherTop);
        if (y + row.height > bottom) Cut(&row, bottom - y, layout, metrics);
        row.top = y;
        y += row.height;
        layout.pages.back().rows.push_back(std::move(row));
    }
    return layout;
}
