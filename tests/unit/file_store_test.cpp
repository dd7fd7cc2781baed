// Files written in one step: the new content takes the old file's place whole, or not at all,
// through a temporary file that is the program's own and never a file that was there before.
#include <gtest/gtest.h>

#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "core/file_store.h"
#include "sys/sys.h"
#include "sys/sys_testing.h"
#include "test_support.h"

namespace {

StoreResult StoreBytes(const std::u16string& path, const std::string& bytes) {
    return StoreFileReplacing(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

bool Store(const std::u16string& path, const std::string& bytes) { return StoreBytes(path, bytes) == StoreResult::Stored; }

// The files (not folders) in `folder`.
std::set<std::u16string> NamesIn(const char16_t* folder) {
    const std::vector<std::u16string> names = sys::ListMatchingNames(std::u16string(folder) + u"\\*", 1000);
    return {names.begin(), names.end()};
}

class LocalCopy : public InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        ASSERT_EQ(mkdir("FRAMES", 0755), 0);
        WriteBytes("FRAMES/fds.sdb", old);
    }
    void TearDown() override {
        sys::testing::FailOneWriteAfter(-1);
        InScratchFolder::TearDown();
    }
    const std::string old = std::string(3000, 'o');
};

TEST_F(LocalCopy, TheNewFileTakesTheOldOnesPlaceWholeAndLeavesTheUsersFilesAlone) {
    // Files of the user's under the names the temporary files once had.
    WriteBytes("FRAMES/fds.sd~", "the user's");
    WriteBytes("FRAMES/fdc.sd~", "the user's too");
    ASSERT_TRUE(Store(u"FRAMES\\fds.sdb", "new"));  // shorter: nothing of the old file stays
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), "new");
    ASSERT_TRUE(Store(u"FRAMES\\fdc.sdb", ""));     // a new, empty one
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), "");
    EXPECT_EQ(ReadBytes("FRAMES/fds.sd~"), "the user's");
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sd~"), "the user's too");
    EXPECT_EQ(NamesIn(u"FRAMES"), (std::set<std::u16string>{u"fds.sdb", u"fdc.sdb", u"fds.sd~", u"fdc.sd~"}));
}

TEST_F(LocalCopy, TemporaryNamesThatAreTakenArePassedOverAndNeverOpened) {
    // "ab" leaves room for one digit: 32 temporary names. All taken by the user's files: nothing
    // is stored. One freed (and one made a folder): the temporary file goes there, and only there.
    std::vector<std::string> taken;
    for (uint32_t code = 0; code < 32; ++code) taken.push_back(sys::ToAnsi(TemporaryPathFor(u"FRAMES/ab", code)));
    for (const std::string& path : taken) WriteBytes(path, "mine");
    EXPECT_EQ(StoreBytes(u"FRAMES\\ab", "first"), StoreResult::NotCreated);
    ASSERT_EQ(unlink(taken[5].c_str()) + unlink(taken[6].c_str()) + mkdir(taken[6].c_str(), 0755), 0);
    ASSERT_TRUE(Store(u"FRAMES\\ab", "second"));
    EXPECT_EQ(ReadBytes("FRAMES/ab"), "second");
    EXPECT_FALSE(Exists(taken[5]));
    taken.erase(taken.begin() + 5, taken.begin() + 7);
    for (const std::string& path : taken) EXPECT_EQ(ReadBytes(path), "mine") << path;
}

TEST_F(LocalCopy, TheOldCopyStaysWhenTheNewOneCannotBeWrittenOrPutInPlace) {
    // The disk fills up half-way through the new file.
    sys::testing::FailOneWriteAfter(1000);
    EXPECT_EQ(StoreBytes(u"FRAMES\\fds.sdb", std::string(10000, 'n')), StoreResult::NotWritten);
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), old);
    EXPECT_EQ(NamesIn(u"FRAMES"), std::set<std::u16string>{u"fds.sdb"}) << "a temporary file is left behind";
    // Without a folder to put it in there is nothing to replace either.
    EXPECT_EQ(StoreBytes(u"NOFOLDER\\fds.sdb", "new"), StoreResult::NotCreated);

    {
        Immutable file("FRAMES/fds.sdb");
        if (!file.ok) GTEST_SKIP() << "the immutable flag cannot be set here (not root?)";
        EXPECT_EQ(StoreBytes(u"FRAMES\\fds.sdb", "new"), StoreResult::NotReplaced);
    }
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), old);
    EXPECT_EQ(NamesIn(u"FRAMES"), std::set<std::u16string>{u"fds.sdb"});
}

TEST_F(LocalCopy, ANewFileNeverTakesTheNameOfAnother) {
    const auto storeNew = [](const char16_t* path) { return StoreNewFile(path, nullptr, 0); };
    ASSERT_EQ(mkdir("FRAMES/folder.png", 0755), 0);
    EXPECT_EQ(storeNew(u"FRAMES\\fds.sdb"), StoreResult::NameTaken);
    EXPECT_EQ(storeNew(u"FRAMES\\folder.png"), StoreResult::NameTaken);
    EXPECT_EQ(storeNew(u"FRAMES\\free.png"), StoreResult::Stored);
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), old);
    EXPECT_EQ(NamesIn(u"FRAMES"), (std::set<std::u16string>{u"fds.sdb", u"free.png"}));  // files only
}

TEST_F(LocalCopy, TwoProgramsSavingTheSameFileEachStoreWholeVersions) {
    // With one temporary name for both, one would write into the other's file or find it gone.
    const auto versionOf = [](char who, int n) { return std::string(2000 + n, who); };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    int failed = 0;
    for (int n = 0; n < 150; ++n) failed += !Store(u"FRAMES\\fds.sdb", versionOf(child == 0 ? 'c' : 'p', n));
    if (child == 0) _exit(failed);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(std::make_pair(failed, status), std::make_pair(0, 0)) << "stores that failed in the parent, the child";
    const std::string last = ReadBytes("FRAMES/fds.sdb");
    EXPECT_TRUE(last == versionOf('c', 149) || last == versionOf('p', 149)) << last.size();
    EXPECT_EQ(NamesIn(u"FRAMES"), std::set<std::u16string>{u"fds.sdb"});
}

TEST_F(LocalCopy, ANameAsLongAsTheFileSystemAllowsIsStoredAndReplaced) {
    // 255 bytes, the longest name a folder holds here (on Windows the limit is 255 UTF-16 code
    // units, and 260 for the whole path): a temporary name any longer could not be made.
    const std::u16string names[] = {std::u16string(251, u'a') + u".png", std::u16string(125, u'Ш') + u".dat"};
    for (const std::u16string& name : names) {
        const std::u16string path = u"FRAMES\\" + name;
        ASSERT_TRUE(Store(path, "first")) << "a name of " << name.size() << " code units";
        ASSERT_TRUE(Store(path, "second"));
    }
    EXPECT_EQ(ReadBytes("FRAMES/" + std::string(251, 'a') + ".png"), "second");
    std::string cyrillic;
    for (int i = 0; i < 125; ++i) cyrillic += "\xD0\xA8";  // Ш in UTF-8
    EXPECT_EQ(ReadBytes("FRAMES/" + cyrillic + ".dat"), "second");
}

TEST(TemporaryName, NoLongerThanTheFileUniqueAndNeverTakenForOneOfTheProgramsFiles) {
    EXPECT_EQ(TemporaryPathFor(u"FRAMES\\2026_12_08-10-00~001.png", 1), u"FRAMES\\2026_12_08-10-00~00~0001");
    EXPECT_EQ(TemporaryPathFor(u"Pelorin.cfg", 32 * 32 * 32 * 31 + 10), u"Pelori~v00a");
    EXPECT_EQ(TemporaryPathFor(u"C:\\F.png\\a\xD83D\xDE00" u"bcde", 0), u"C:\\F.png\\a_~0000");  // no half pair
    EXPECT_EQ(TemporaryPathFor(u"FRAMES\\", 1), u"");
    for (const std::u16string& path : {std::u16string(u"F\\x.y.png.dat"), std::u16string(u"F\\a.pngx.cfgx"),
                                       std::u16string(u"a"), u"C:\\" + std::u16string(251, u'a') + u".png"}) {
        std::set<std::u16string> made;
        for (uint32_t code : {0u, 1u, 31u, 1000u, 0xFFFFFu}) {
            const std::u16string temp = TemporaryPathFor(path, code);
            made.insert(temp);
            ASSERT_EQ(temp.size(), path.size());
            EXPECT_NE(temp, path);
            // No dot in the name: no extension for a pattern to match, nor in the 8.3 name.
            const std::string name = sys::ToAnsi(temp.substr(temp.find_last_of(u'\\') + 1));
            EXPECT_EQ(name.find('.'), std::string::npos) << name;
            for (const char* pattern : {"*.png", "*.dat", "*.cfg"}) EXPECT_NE(fnmatch(pattern, name.c_str(), FNM_CASEFOLD), 0);
        }
        EXPECT_EQ(made.size(), path.size() > 4 ? 5u : 1u);
    }
}

}  // namespace
