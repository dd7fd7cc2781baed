// The commentary file: its byte layout, round trips at the fields' limits, files written by
// others, its name beside the frame.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "mainwnd/commentary_file.h"
#include "test_support.h"

namespace {

// The record of `text` as the format lays it out: UTF-16LE, CR LF, zeros to `units` code units.
std::string Record(const std::u16string& text, size_t units) {
    std::u16string record = text + u"\r\n";
    record.resize(units, u'\0');
    std::string bytes;
    for (char16_t c : record) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

CommentaryTexts Sample() {
    return {u"abc", u"08.12.2026", u"Иванов И. И.", u"12.5", u"Шов №3,\r\nвторая строка", u"OP-17",
            u"pipe", u"A-123", u"steel", u"8 mm", u"porosity", u"Ek bilgi: kaynak"};
}

TEST(CommentaryRecords, LayoutOffsetsAndPadding) {
    const size_t offsets[kFieldCount] = {0, 104, 168, 272, 296, 600, 644, 698, 752, 806, 860, 1074};
    size_t offset = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        EXPECT_EQ(offset, offsets[i]) << "record " << i;
        offset += CommentaryRecordSize(i);
    }
    EXPECT_EQ(offset, kCommentaryFileSize);

    std::vector<uint8_t> bytes = EncodeCommentary(Sample());
    ASSERT_EQ(bytes.size(), kCommentaryFileSize);
    std::string item(bytes.begin(), bytes.begin() + 104);
    EXPECT_EQ(item, Record(u"abc", 52));  // a, b, c, CR, LF and 47 zero code units
    std::string note(bytes.begin() + 296, bytes.begin() + 600);
    EXPECT_EQ(note, Record(u"Шов №3,\r\nвторая строка", 152));

    std::vector<uint8_t> empty = EncodeCommentary({});
    for (int i = 0; i < kFieldCount; ++i) {
        std::string record(empty.begin() + static_cast<long>(offsets[i]),
                           empty.begin() + static_cast<long>(offsets[i] + CommentaryRecordSize(i)));
        EXPECT_EQ(record, Record(u"", CommentaryRecordSize(i) / 2)) << i;
    }
}

TEST(CommentaryRecords, RoundTripAtTheLimitsAndBeyond) {
    CommentaryTexts full;
    for (int i = 0; i < kFieldCount; ++i)
        full[i] = std::u16string(kCommentaryFields[i].maxLength, static_cast<char16_t>(u'А' + i));
    std::vector<uint8_t> bytes = EncodeCommentary(full);
    // A field at its maximum fills its record: no zero code unit after the CR LF.
    std::string coordinates(bytes.begin() + 272, bytes.begin() + 296);
    EXPECT_EQ(coordinates, Record(full[3], 12));
    EXPECT_EQ(DecodeCommentary(bytes.data(), bytes.size()), full);

    CommentaryTexts tooLong = full;
    tooLong[3] += u"12345";
    EXPECT_EQ(EncodeCommentary(tooLong), bytes);  // cut to the field, never into the next record

    EXPECT_EQ(DecodeCommentary(EncodeCommentary(Sample()).data(), kCommentaryFileSize), Sample());
}

TEST(CommentaryRecords, FilesWrittenByOthers) {
    std::vector<uint8_t> bytes = EncodeCommentary(Sample());
    // Cut inside record 4 (the note): the records before it are whole, the note keeps what is
    // there but its last two code units, and everything after it is empty.
    CommentaryTexts cut = DecodeCommentary(bytes.data(), 296 + 10);
    EXPECT_EQ(cut[3], u"12.5");
    EXPECT_EQ(cut[4], u"Шов");  // "Шов №" arrived; its last two code units go as the CR LF would
    for (int i = 5; i < kFieldCount; ++i) EXPECT_EQ(cut[i], u"") << i;
    // An odd length leaves half a code unit, which is not read.
    EXPECT_EQ(DecodeCommentary(bytes.data(), 7)[0], u"a");
    EXPECT_EQ(DecodeCommentary(bytes.data(), 0), CommentaryTexts());

    // Longer than 1288 bytes: the rest is not looked at.
    std::vector<uint8_t> longer = bytes;
    longer.insert(longer.end(), 500, 0x41);
    EXPECT_EQ(DecodeCommentary(longer.data(), longer.size()), Sample());

    // A record without CR LF and without zeros loses its last two code units, nothing more.
    std::vector<uint8_t> noBreak = bytes;
    for (size_t at = 0; at < 104; at += 2) {
        noBreak[at] = 'x';
        noBreak[at + 1] = 0;
    }
    EXPECT_EQ(DecodeCommentary(noBreak.data(), noBreak.size())[0], std::u16string(50, u'x'));
    EXPECT_EQ(DecodeCommentary(noBreak.data(), noBreak.size())[1], u"08.12.2026");
}

TEST(CommentaryRecords, PathOfTheFrame) {
    EXPECT_EQ(CommentaryPathFor(u"C:\\F\\x.PNG"), u"C:\\F\\x.dat");
    std::u16string longPath = u"D:\\" + std::u16string(400, u'ф') + u".png";
    EXPECT_EQ(CommentaryPathFor(longPath), longPath.substr(0, longPath.size() - 3) + u"dat");
}

class CommentaryBesideFrames : public InScratchFolder {};

TEST_F(CommentaryBesideFrames, NoFileAFileAndOneThatCannotBeReadAreToldApart) {
    // No file yet, or a folder standing under its name: nothing of the operator's is there.
    EXPECT_EQ(LoadCommentary(u"a.png").state, CommentaryState::Missing);
    ASSERT_EQ(mkdir("b.dat", 0755), 0);
    EXPECT_EQ(LoadCommentary(u"b.png").state, CommentaryState::Missing);

    ASSERT_TRUE(SaveCommentary(u"c.png", Sample()));
    const LoadedCommentary read = LoadCommentary(u"c.png");
    EXPECT_EQ(read.state, CommentaryState::Read);
    EXPECT_EQ(read.texts, Sample());

    // A file that is there but cannot be opened (here a link that loops) must never pass for
    // an empty commentary that the next save may replace.
    ASSERT_EQ(symlink("d.dat", "d.dat"), 0);
    const LoadedCommentary unreadable = LoadCommentary(u"d.png");
    EXPECT_EQ(unreadable.state, CommentaryState::Unreadable);
    EXPECT_EQ(unreadable.texts, CommentaryTexts());
}

}  // namespace
