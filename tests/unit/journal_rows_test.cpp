// The journal's rows: what a folder of frames gives, read a part at a time, and the cells shown.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "core/frame_list.h"
#include "frames/journal_rows.h"
#include "test_support.h"

namespace {

const JournalStateTexts kStates = {u"none", u"cannot be read"};

// UTF-16LE, as the commentary file holds its texts: `text` then CR LF then zeros to `units`.
std::string Record(const std::u16string& text, size_t units) {
    std::u16string record = text + u"\r\n";
    record.resize(units, u'\0');
    std::string bytes;
    for (char16_t c : record) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

std::u16string Upper(const std::u16string& text) {
    std::u16string out = text;
    for (char16_t& c : out)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return out;
}

class JournalFolder : public InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        ASSERT_EQ(mkdir("FRAMES", 0755), 0);
    }
    JournalRows Rows() {
        FrameList frames;
        frames.Folder = u"FRAMES\\";
        frames.Rebuild();
        return StartJournalRows(frames.Folder, frames.Names, kStates, Upper);
    }
};

TEST_F(JournalFolder, AFolderOfFramesReadPartByPart) {
    WriteBytes("FRAMES/2026_12_08-10-00~001.png", "png");
    WriteBytes("FRAMES/2026_12_08-10-00~001.dat",
               Record(u"Труба Ду 219", 52) + Record(u"08.12.2026", 32) + Record(u"Иванов", 52) + Record(u"", 12) +
                   Record(u"первая строка\r\n\r\nвторая", 152));
    WriteBytes("FRAMES/2026_12_08-10-00~001 (2).png", "png");
    WriteBytes("FRAMES/2026_12_09-07-45~012.png", "png");
    // Longer than 1288 bytes with stray bytes after the records: as the program's reader sees it.
    std::string longer = Record(u"weld 9", 52);
    longer.resize(1288, '\0');
    WriteBytes("FRAMES/2026_12_09-07-45~012.dat", longer + "stray bytes");
    WriteBytes("FRAMES/notes.png", "not a picture");
    mkdir("FRAMES/notes.dat", 0755);  // a folder under the commentary's name: no commentary
    struct tm when = {};
    when.tm_year = 2025 - 1900, when.tm_mon = 5, when.tm_mday = 17, when.tm_hour = 9, when.tm_min = 30;
    when.tm_isdst = -1;
    const struct utimbuf times = {mktime(&when), mktime(&when)};
    ASSERT_EQ(utime("FRAMES/notes.png", &times), 0);
    const std::string before = ReadBytes("FRAMES/2026_12_09-07-45~012.dat");

    JournalRows rows = Rows();
    ASSERT_EQ(rows.rows.size(), 4u);
    // What the names say is there at once; the copy is frame 1 too (it sorts before the plain name).
    const int frames[] = {1, 1, 12, 0};
    const char16_t* readAt[] = {u"2026-12-08 10:00", u"2026-12-08 10:00", u"2026-12-09 07:45", u""};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rows.rows[i].frame, frames[i]) << i;
        EXPECT_EQ(rows.rows[i].readAt, readAt[i]) << i;
        EXPECT_EQ(JournalCell(rows.rows[i], kColumnCommentary, kStates), u"") << "not read yet, nothing said";
        EXPECT_NE(rows.rows[i].searchText.find(Upper(rows.rows[i].name)), std::u16string::npos) << "found by its name";
    }
    EXPECT_EQ(JournalCell(rows.rows[0], kColumnFile, kStates), u"2026_12_08-10-00~001 (2).png");

    // A deadline already past reads one row at a time.
    EXPECT_EQ(ReadJournalRows(&rows, kStates, Upper, 0), 1u);
    EXPECT_EQ(rows.read, 1u);
    EXPECT_EQ(ReadJournalRows(&rows, kStates, Upper, UINT64_MAX), 3u);
    ASSERT_TRUE(rows.Complete());
    EXPECT_EQ(ReadJournalRows(&rows, kStates, Upper, UINT64_MAX), 0u);

    const JournalRow& first = rows.rows[1];
    EXPECT_EQ(first.state, CommentaryState::Read);
    EXPECT_EQ(JournalCell(first, kColumnFirstField, kStates), u"Труба Ду 219");
    EXPECT_EQ(JournalCell(first, kColumnFirstField + 4, kStates), u"первая строка / вторая");
    EXPECT_EQ(FieldText(first, 4), u"первая строка\r\n\r\nвторая") << "the texts themselves keep their lines";
    EXPECT_EQ(FieldTexts(first)[11], u"");
    EXPECT_EQ(JournalCell(first, kColumnFrame, kStates), u"1");
    EXPECT_EQ(JournalCell(rows.rows[0], kColumnCommentary, kStates), u"none");
    EXPECT_EQ(JournalCell(rows.rows[2], kColumnFirstField, kStates), u"weld 9");
    EXPECT_EQ(JournalCell(rows.rows[2], kColumnFirstField + 1, kStates), u"");
    // A name not of the program's own: no number, the file's last write for its time.
    EXPECT_EQ(JournalCell(rows.rows[3], kColumnFrame, kStates), u"");
    EXPECT_EQ(rows.rows[3].readAt, u"2025-06-17 09:30");
    EXPECT_EQ(JournalCell(rows.rows[3], kColumnCommentary, kStates), u"none");

    // The search text: every cell as shown, folded, a break between cells (the commentary cell
    // of a frame with a commentary is empty).
    EXPECT_NE(rows.rows[2].searchText.find(u"WELD 9"), std::u16string::npos);
    EXPECT_NE(rows.rows[2].searchText.find(u"2026-12-09 07:45"), std::u16string::npos);
    EXPECT_NE(rows.rows[0].searchText.find(u"NONE"), std::u16string::npos);
    EXPECT_NE(first.searchText.find(u"10:00\t\t"), std::u16string::npos);

    // Reading wrote nothing.
    EXPECT_EQ(ReadBytes("FRAMES/2026_12_09-07-45~012.dat"), before);
    EXPECT_FALSE(Exists("FRAMES/2026_12_08-10-00~001 (2).dat"));
}

TEST(JournalCells, FieldTitlesAndLines) {
    EXPECT_EQ(FieldTitle(u"Item:"), u"Item");
    EXPECT_EQ(FieldTitle(u"type     :"), u"type");
    EXPECT_EQ(FieldTitle(u"№       :"), u"№");
    EXPECT_EQ(FieldTitle(u"Defect coordinates (depth):"), u"Defect coordinates (depth)");
    EXPECT_EQ(FieldTitle(u"Kalinlik:"), u"Kalinlik");
    EXPECT_EQ(OneLine(u"a\rb\nc\r\n"), u"a / b / c");
    EXPECT_EQ(OneLine(u"\r\n"), u"");
    EXPECT_EQ(ReadAtText({2010, 3, 3, 14, 5, 59}), u"2010-03-03 14:05");
}

}  // namespace
