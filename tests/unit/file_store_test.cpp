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
    // "ab" leaves room for one digit: 32 temporary names, "~0" to "~v". All but one are taken
    // by files (and one folder) of the user's.
    std::set<std::u16string> taken;
    for (uint32_t code = 0; code < 32; ++code) {
        const std::u16string temp = TemporaryPathFor(u"FRAMES\\ab", code);
        ASSERT_EQ(temp.size(), std::u16string(u"FRAMES\\ab").size());
        taken.insert(temp.substr(7));
    }
    ASSERT_EQ(taken.size(), 32u);
    const std::u16string free = *taken.begin();
    taken.erase(taken.begin());
    for (const std::u16string& name : taken) WriteBytes("FRAMES/" + sys::ToAnsi(name), "mine");
    const std::string folderName = sys::ToAnsi(*taken.begin());
    ASSERT_EQ(unlink(("FRAMES/" + folderName).c_str()), 0);
    ASSERT_EQ(mkdir(("FRAMES/" + folderName).c_str(), 0755), 0);

    for (const char* version : {"first", "second"}) {
        ASSERT_TRUE(Store(u"FRAMES\\ab", version)) << version;
        EXPECT_EQ(ReadBytes("FRAMES/ab"), version);
    }
    for (const std::u16string& name : taken) {
        if (sys::ToAnsi(name) != folderName) {
            EXPECT_EQ(ReadBytes("FRAMES/" + sys::ToAnsi(name)), "mine");
        }
    }
    EXPECT_FALSE(Exists("FRAMES/" + sys::ToAnsi(free)));

    // Every name taken: nothing is stored, nothing is touched.
    WriteBytes("FRAMES/" + sys::ToAnsi(free), "mine as well");
    EXPECT_EQ(StoreBytes(u"FRAMES\\ab", "third"), StoreResult::NotCreated);
    EXPECT_EQ(ReadBytes("FRAMES/ab"), "second");
    EXPECT_EQ(ReadBytes("FRAMES/" + sys::ToAnsi(free)), "mine as well");
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
    const std::string frame = "picture";
    const auto storeNew = [&](const std::u16string& path) {
        return StoreNewFile(path, reinterpret_cast<const uint8_t*>(frame.data()), frame.size());
    };
    EXPECT_EQ(storeNew(u"FRAMES\\fds.sdb"), StoreResult::NameTaken);
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), old);
    ASSERT_EQ(mkdir("FRAMES/folder.png", 0755), 0);
    EXPECT_EQ(storeNew(u"FRAMES\\folder.png"), StoreResult::NameTaken);
    EXPECT_EQ(storeNew(u"FRAMES\\free.png"), StoreResult::Stored);
    EXPECT_EQ(ReadBytes("FRAMES/free.png"), frame);
    EXPECT_EQ(NamesIn(u"FRAMES"), (std::set<std::u16string>{u"fds.sdb", u"free.png"}));  // files only
}

TEST_F(LocalCopy, TwoProgramsSavingTheSameFileEachStoreWholeVersions) {
    // Each process stores its own versions of one file as fast as it can; with one temporary
    // name for both, one would write into the other's file or find it gone.
    constexpr int kVersions = 150;
    const auto versionOf = [](char who, int n) { return std::string(2000 + n, who); };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    const char who = child == 0 ? 'c' : 'p';
    int failed = 0;
    for (int n = 0; n < kVersions; ++n) failed += !Store(u"FRAMES\\fds.sdb", versionOf(who, n));
    if (child == 0) _exit(failed == 0 ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(failed, 0) << "stores that failed in the parent";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "stores failed in the child";
    const std::string last = ReadBytes("FRAMES/fds.sdb");
    EXPECT_TRUE(last == versionOf('c', kVersions - 1) || last == versionOf('p', kVersions - 1)) << last.size();
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
    const std::u16string paths[] = {
        u"FRAMES\\2026_12_08-10-00~001.png", u"FRAMES\\2026_12_08-10-00~001 (2).png", u"FRAMES\\x~001.dat",
        u"Pelorin.cfg", u"C:\\frames.png\\x.y.png.dat", u"F\\a.pngx.cfgx", u"D:\\x.PNG", u"a~", u"ab", u"a",
        u"C:\\" + std::u16string(251, u'a') + u".png", u"x\xD83D\xDE00", u"a\xD83D\xDE00" u"bcde",
    };
    for (const std::u16string& path : paths) {
        const std::string shown = sys::ToAnsi(path);
        const size_t slash = path.find_last_of(u'\\');
        const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
        std::set<std::u16string> made;
        for (uint32_t code : {0u, 1u, 31u, 32u, 1000u, 0xFFFFFu}) {
            const std::u16string temp = TemporaryPathFor(path, code);
            made.insert(temp);
            ASSERT_EQ(temp.size(), path.size()) << shown;
            EXPECT_NE(temp, path) << shown;
            EXPECT_EQ(temp.substr(0, nameStart), path.substr(0, nameStart)) << "the folder of " << shown;
            // No dot: no extension for a pattern to match, nor in the 8.3 name made from it.
            const std::u16string name = temp.substr(nameStart);
            EXPECT_EQ(name.find(u'.'), std::u16string::npos) << sys::ToAnsi(temp);
            for (const char* pattern : {"*.png", "*.dat", "*.cfg"})
                EXPECT_NE(fnmatch(pattern, sys::ToAnsi(name).c_str(), FNM_CASEFOLD), 0) << sys::ToAnsi(temp);
            // Never half a surrogate pair where the name was cut.
            for (size_t i = 0; i < name.size(); ++i) {
                if (name[i] >= 0xD800 && name[i] < 0xDC00) {
                    EXPECT_TRUE(i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] < 0xE000) << shown;
                }
            }
        }
        // Different codes, different names, where the name has room for all four digits.
        if (path.size() - nameStart >= 5) {
            EXPECT_EQ(made.size(), 6u) << shown;
        }
    }
    EXPECT_EQ(TemporaryPathFor(u"FRAMES\\", 1), u"");
    EXPECT_EQ(TemporaryPathFor(u"", 1), u"");
    EXPECT_EQ(StoreFileReplacing(u"", nullptr, 0), StoreResult::NotCreated);
}

}  // namespace
