// The journal's CSV file: what a spreadsheet needs to split it right and to run nothing of it.
#include <gtest/gtest.h>

#include "frames/journal_csv.h"

namespace {

TEST(JournalCsv, QuotingAndLineBreaks) {
    EXPECT_EQ(CsvCell(u"plain text", u';'), u"plain text");
    EXPECT_EQ(CsvCell(u"a;b", u';'), u"\"a;b\"");
    EXPECT_EQ(CsvCell(u"a,b", u';'), u"a,b");
    EXPECT_EQ(CsvCell(u"a,b", u','), u"\"a,b\"");
    EXPECT_EQ(CsvCell(u"he said \"hi\"", u','), u"\"he said \"\"hi\"\"\"");
    // Every line break inside the quotes as CR LF.
    EXPECT_EQ(CsvCell(u"one\ntwo\r\nthree\rfour", u';'), u"\"one\r\ntwo\r\nthree\r\nfour\"");
}

TEST(JournalCsv, WhatASpreadsheetWouldRunIsMadeText) {
    for (const char16_t* formula : {u"=SUM(A1:A9)", u"+1+2", u"-2+3", u"@SUM(A1)", u"-", u"+", u"=", u"-5-", u"+3.5.1",
                                    u"-1,2,3", u"--5"})
        EXPECT_EQ(CsvCell(formula, u';'), u"'" + std::u16string(formula)) << formula[0];
    EXPECT_EQ(CsvCell(u"\tcmd", u';'), u"'\tcmd");
    EXPECT_EQ(CsvCell(u"\rx", u';'), u"\"'\r\nx\"");
    EXPECT_EQ(CsvCell(u"=1;2", u';'), u"\"'=1;2\"");
    // Plain numbers stay numbers.
    for (const char16_t* number : {u"-5", u"+3.5", u"-12,5", u"+0", u"12.5", u"7"})
        EXPECT_EQ(CsvCell(number, u'\t'), number);
    // Only the first character counts.
    EXPECT_EQ(CsvCell(u"a=b", u';'), u"a=b");
}

TEST(JournalCsv, TheUsersListSeparatorWhenItIsOneCharacter) {
    EXPECT_EQ(CsvSeparator(u";"), u';');
    EXPECT_EQ(CsvSeparator(u","), u',');
    EXPECT_EQ(CsvSeparator(u"\t"), u'\t');
    EXPECT_EQ(CsvSeparator(u""), u';');
    EXPECT_EQ(CsvSeparator(u", "), u';');
    EXPECT_EQ(CsvSeparator(u"\""), u';');
}

TEST(JournalCsv, Utf8WithByteOrderMarkAndCrLf) {
    const std::string file = CsvFile({{u"Кадр", u"Item"}, {u"1", u"Шов; \"4\"\n2"}, {u"", u"\U0001F600"}}, u';');
    EXPECT_EQ(file,
              "\xEF\xBB\xBF"
              "\xD0\x9A\xD0\xB0\xD0\xB4\xD1\x80;Item\r\n"
              "1;\"\xD0\xA8\xD0\xBE\xD0\xB2; \"\"4\"\"\r\n2\"\r\n"
              ";\xF0\x9F\x98\x80\r\n");
}

}  // namespace
