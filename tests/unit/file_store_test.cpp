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

}  // namespace
