// The journal as a CSV file that a spreadsheet opens correctly by a double click: UTF-8 with a
// byte-order mark, CR LF line ends, the user's list separator between the cells.
#pragma once

#include <string>
#include <vector>

// The separator of a CSV file for the user's list separator `listSeparator`: itself when it is
// one character that can stand between cells, else ";".
char16_t CsvSeparator(const std::u16string& listSeparator);

// One cell as written: quoted (its quotes doubled) when it holds the separator, a quote, CR or
// LF, its line breaks made CR LF; a cell a spreadsheet would take for a formula (starting with
// "=", "+", "-", "@", TAB or CR) gets a leading apostrophe unless it is a plain number ("-5",
// "+3.5"), so that no text of a commentary can run as a formula.
std::u16string CsvCell(const std::u16string& text, char16_t separator);

// The whole file: the lines of cells (the header line first), as UTF-8 bytes.
std::string CsvFile(const std::vector<std::vector<std::u16string>>& lines, char16_t separator);
