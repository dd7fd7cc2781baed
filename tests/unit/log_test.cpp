// The log: entry format, the blank-line entry, rotation into ".OLD" and a missing folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "core/log.h"
#include "test_support.h"

namespace {

const sys::LocalTime kTime = {2026, 2, 1, 9, 5, 3};

class LogFile : public InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        ASSERT_EQ(mkdir("LOG", 0755), 0);
    }
    int Write(const char* text) { return WriteLogEntry(u"LOG\\", u"Pelorin", text, kTime); }
};

TEST(LogStamp, DayBeforeMonthFourDigitYearLeadingZeros) {
    EXPECT_EQ(FormatLogStamp(kTime), "09:05:03 01/02/2026 ");
    EXPECT_EQ(FormatLogStamp({2026, 12, 31, 23, 59, 58}), "23:59:58 31/12/2026 ");
}

TEST_F(LogFile, EntriesAreStampedExceptTheBlankLine) {
    EXPECT_EQ(Write("\r\n"), 0);
    EXPECT_EQ(ReadBytes("LOG/Pelorin.LOG").size(), 2u);
    EXPECT_EQ(Write("Start Pelorin\r\n\r\n"), 0);
    EXPECT_EQ(ReadBytes("LOG/Pelorin.LOG"), "\r\n09:05:03 01/02/2026 Start Pelorin\r\n\r\n");
}

TEST_F(LogFile, AnEntryWithoutLineEndIsContinuedByTheNext) {
    Write("first\nsecond");
    Write("next\r\n");
    EXPECT_EQ(ReadBytes("LOG/Pelorin.LOG"), "09:05:03 01/02/2026 first\nsecond09:05:03 01/02/2026 next\r\n");
}

TEST_F(LogFile, TheFileIsNamedAfterTheProgram) {
    WriteLogEntry(u"LOG\\", u"Other", "x\r\n", kTime);
    EXPECT_TRUE(Exists("LOG/Other.LOG"));
    EXPECT_FALSE(Exists("LOG/Pelorin.LOG"));
}

TEST_F(LogFile, RotatesOnceTheLimitIsReached) {
    WriteBytes("LOG/Pelorin.OLD", "older generation");
    WriteBytes("LOG/Pelorin.LOG", std::string(kLogSizeLimit - 1, 'a'));
    Write("appended\r\n");
    EXPECT_EQ(ReadBytes("LOG/Pelorin.LOG").size(), static_cast<size_t>(kLogSizeLimit - 1 + 30));
    EXPECT_EQ(ReadBytes("LOG/Pelorin.OLD"), "older generation");

    const std::string full = ReadBytes("LOG/Pelorin.LOG");  // now past the limit
    Write("first of the new file\r\n");
    EXPECT_EQ(ReadBytes("LOG/Pelorin.LOG"), "09:05:03 01/02/2026 first of the new file\r\n");
    EXPECT_EQ(ReadBytes("LOG/Pelorin.OLD"), full);
}

TEST_F(LogFile, RotatesAtExactlyTheLimit) {
    WriteBytes("LOG/Pelorin.LOG", std::string(kLogSizeLimit, 'b'));
    Write("\r\n");
    EXPECT_EQ(ReadBytes("LOG/Pelorin.LOG"), "\r\n");
    EXPECT_EQ(ReadBytes("LOG/Pelorin.OLD").size(), static_cast<size_t>(kLogSizeLimit));
}

TEST_F(LogFile, ALogThatCannotBeMovedAsideIsKeptAndMovedAtALaterEntry) {
    // A folder stands under the old generation's name: the log cannot become it, and nothing
    // of it is lost.
    ASSERT_EQ(mkdir("LOG/Pelorin.OLD", 0755), 0);
    const std::string full(kLogSizeLimit, 'c');
    WriteBytes("LOG/Pelorin.LOG", full);
    EXPECT_EQ(Write("kept\r\n"), 0);
    EXPECT_EQ(ReadBytes("LOG/Pelorin.LOG"), full + "09:05:03 01/02/2026 kept\r\n");
    // The folder gone, the next entry rotates.
    ASSERT_EQ(rmdir("LOG/Pelorin.OLD"), 0);
    EXPECT_EQ(Write("new\r\n"), 0);
    EXPECT_EQ(ReadBytes("LOG/Pelorin.LOG"), "09:05:03 01/02/2026 new\r\n");
    EXPECT_EQ(ReadBytes("LOG/Pelorin.OLD"), full + "09:05:03 01/02/2026 kept\r\n");
}

TEST_F(LogFile, AMissingFolderLosesTheEntryAndCreatesNothing) {
    EXPECT_EQ(WriteLogEntry(u"NOLOG\\", u"Pelorin", "lost\r\n", kTime), 1);
    EXPECT_FALSE(Exists("NOLOG"));
}

}  // namespace
