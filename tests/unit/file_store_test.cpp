// Files written in one step: the new content takes the old file's place whole, or not at all.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "core/file_store.h"
#include "test_support.h"

namespace {

bool Store(const char16_t* path, const std::string& bytes) {
    return StoreFileReplacing(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) == StoreResult::Stored;
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
    EXPECT_FALSE(Exists("FRAMES/fds.sd~"));
    EXPECT_FALSE(Exists("FRAMES/fdc.sd~"));
}

TEST_F(LocalCopy, TheOldCopyStaysWhenTheNewOneCannotBeWritten) {
    // No room for the new file.
    ASSERT_EQ(symlink("/dev/full", "FRAMES/fds.sd~"), 0);
    EXPECT_FALSE(Store(u"FRAMES\\fds.sdb", std::string(10000, 'n')));
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), old);
    struct stat st;
    EXPECT_NE(lstat("FRAMES/fds.sd~", &st), 0) << "the temporary file is left behind";
}

TEST_F(LocalCopy, TheOldCopyStaysWhenItCannotBeReplaced) {
    {
        Immutable file("FRAMES/fds.sdb");
        if (!file.ok) GTEST_SKIP() << "the immutable flag cannot be set here (not root?)";
        EXPECT_FALSE(Store(u"FRAMES\\fds.sdb", "new"));
    }
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), old);
    EXPECT_FALSE(Exists("FRAMES/fds.sd~"));
    // Without a folder to put it in there is nothing to replace either.
    EXPECT_FALSE(Store(u"NOFOLDER\\fds.sdb", "new"));
}

TEST_F(LocalCopy, ANameAsLongAsTheFileSystemAllowsIsStoredAndReplaced) {
    // 255 bytes, the longest name a folder holds here (on Windows the limit is 255 UTF-16 code
    // units, and 260 for the whole path): a temporary name any longer could not be made.
    const std::u16string names[] = {std::u16string(251, u'a') + u".png", std::u16string(125, u'Ш') + u".dat"};
    for (const std::u16string& name : names) {
        const std::u16string path = u"FRAMES\\" + name;
        ASSERT_TRUE(Store(path.c_str(), "first")) << "a name of " << name.size() << " code units";
        ASSERT_TRUE(Store(path.c_str(), "second"));
    }
    EXPECT_EQ(ReadBytes("FRAMES/" + std::string(251, 'a') + ".png"), "second");
    std::string cyrillic;
    for (int i = 0; i < 125; ++i) cyrillic += "\xD0\xA8";  // Ш in UTF-8
    EXPECT_EQ(ReadBytes("FRAMES/" + cyrillic + ".dat"), "second");
}

TEST(TemporaryName, IsNoLongerThanTheFileAndIsNeverTakenForOneOfItsFiles) {
    EXPECT_EQ(TemporaryPathFor(u"FRAMES\\2026_12_08-10-00~001.png"), u"FRAMES\\2026_12_08-10-00~001.pn~");
    EXPECT_EQ(TemporaryPathFor(u"Pelorin.cfg"), u"Pelorin.cf~");
    EXPECT_EQ(TemporaryPathFor(u"C:\\a~"), u"C:\\a_");  // never the file itself
    EXPECT_EQ(TemporaryPathFor(u"x\xD83D\xDE00"), u"x~");  // a whole character, not half of it
    EXPECT_EQ(TemporaryPathFor(u"FRAMES\\"), u"");
    EXPECT_EQ(StoreFileReplacing(u"", nullptr, 0), StoreResult::NotCreated);
}

}  // namespace
