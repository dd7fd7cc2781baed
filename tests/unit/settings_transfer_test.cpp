// The settings files on this computer: a copy replaced only when the new one is complete, and
// the summary of what Write > Default settings did.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "core/messages.h"
#include "settings/settings_transfer.h"
#include "test_support.h"

namespace {

bool Store(const char16_t* path, const std::string& bytes) {
    return StoreFileReplacing(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

class LocalCopy : public InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        ASSERT_EQ(mkdir("FRAMES", 0755), 0);
        WriteBytes("FRAMES/fds.sdb", old);
    }
    const std::string old = std::string(3000, 'o');
};

TEST_F(LocalCopy, TheNewFileTakesTheOldOnesPlaceWhole) {
    ASSERT_TRUE(Store(u"FRAMES\\fds.sdb", "new"));  // shorter: nothing of the old file stays
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), "new");
    ASSERT_TRUE(Store(u"FRAMES\\fdc.sdb", ""));     // a new, empty one
    EXPECT_TRUE(Exists("FRAMES/fdc.sdb"));
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), "");
    EXPECT_FALSE(Exists("FRAMES/fds.sdb.tmp"));
    EXPECT_FALSE(Exists("FRAMES/fdc.sdb.tmp"));
}

TEST_F(LocalCopy, TheOldCopyStaysWhenTheNewOneCannotBeWritten) {
    // No room for the new file.
    ASSERT_EQ(symlink("/dev/full", "FRAMES/fds.sdb.tmp"), 0);
    EXPECT_FALSE(Store(u"FRAMES\\fds.sdb", std::string(10000, 'n')));
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), old);
    struct stat st;
    EXPECT_NE(lstat("FRAMES/fds.sdb.tmp", &st), 0) << "the temporary file is left behind";
}

TEST_F(LocalCopy, TheOldCopyStaysWhenItCannotBeReplaced) {
    {
        Immutable file("FRAMES/fds.sdb");
        if (!file.ok) GTEST_SKIP() << "the immutable flag cannot be set here (not root?)";
        EXPECT_FALSE(Store(u"FRAMES\\fds.sdb", "new"));
    }
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), old);
    EXPECT_FALSE(Exists("FRAMES/fds.sdb.tmp"));
    // Without a folder to put it in there is nothing to replace either.
    EXPECT_FALSE(Store(u"NOFOLDER\\fds.sdb", "new"));
}

class WriteSummary : public ::testing::Test {
protected:
    void TearDown() override { SelectLanguageTexts(0); }

    static DefaultFileOutcome Outcome(const char16_t* name, DefaultFileState state, uint32_t length = 0,
                                      const std::string& message = "") {
        DefaultFileOutcome o;
        o.name = name;
        o.state = state;
        o.length = length;
        o.deviceMessage = message;
        return o;
    }
};

TEST_F(WriteSummary, OneLinePerFileInTheCurrentLanguage) {
    SelectLanguageTexts(1);
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::Sent, 0),
                                Outcome(u"fdc.sdb", DefaultFileState::Sent, 4294967295u)}),
              u"file fds.sdb - sent, 0 bytes\nfile fdc.sdb - sent, 4294967295 bytes");
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::NotFound),
                                Outcome(u"fdc.sdb", DefaultFileState::NotReadable)}),
              u"file fds.sdb - not in the Default folder\nfile fdc.sdb - cannot be read, not sent");
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::NoAnswer),
                                Outcome(u"fdc.sdb", DefaultFileState::DeviceError, 0, "Disk full")}),
              u"file fds.sdb - the apparatus does not answer\nfile fdc.sdb - the apparatus answered: Disk full");

    SelectLanguageTexts(0);
    // The detector's words are ANSI bytes (Windows-1251 here); line breaks in them are not
    // allowed to break the summary's lines.
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::Sent, 1100),
                                Outcome(u"fdc.sdb", DefaultFileState::DeviceError, 0, "\xCD\xE5\xF2\r\nmesta")}),
              u"файл fds.sdb - отослан, 1100 байт\nфайл fdc.sdb - ответ прибора: Нет  mesta");
    EXPECT_EQ(WriteSummaryText({Outcome(u"fds.sdb", DefaultFileState::NotFound)}), u"файл fds.sdb - нет в папке Default");
}

}  // namespace
