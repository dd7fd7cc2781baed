// The frame list: which files, in which order, how many, and the current index on a rebuild.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>

#include "core/frame_list.h"
#include "test_support.h"

namespace {

class FramesFolder : public InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        ASSERT_EQ(mkdir("FRAMES", 0755), 0);
    }
    void Add(const std::string& name) { WriteBytes("FRAMES/" + name, "png"); }
};

TEST_F(FramesFolder, OnlyPngFilesSortedByCodeUnits) {
    Add("2010_03_03-14-05~007.png");
    Add("2010_03_03-14-05~002.png");
    Add("2009_12_31-23-59~100.png");
    Add("apple.png");
    Add("Zebra.png");
    Add("2010_03_03-14-05~002.dat");
    Add("notes.txt");
    ASSERT_EQ(mkdir("FRAMES/folder.png", 0755), 0);
    std::vector<std::u16string> names = ListMatchingFiles(u"FRAMES\\*.png");
    std::vector<std::u16string> expected = {u"2009_12_31-23-59~100.png", u"2010_03_03-14-05~002.png",
                                            u"2010_03_03-14-05~007.png", u"Zebra.png", u"apple.png"};
    EXPECT_EQ(names, expected);
}

TEST_F(FramesFolder, APrefixSortsFirst) {
    Add("frame.png");
    Add("frame.png.png");
    Add("fram.png");
    EXPECT_EQ(ListMatchingFiles(u"FRAMES\\*.png"),
              (std::vector<std::u16string>{u"fram.png", u"frame.png", u"frame.png.png"}));
}

TEST_F(FramesFolder, EveryNameOfABigFolderIsListed) {
    // Past 500 names the newest frames (last in name order) must still be there.
    for (int i = 0; i < 600; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%03d.png", 599 - i);
        Add(name);
    }
    std::vector<std::u16string> names = ListMatchingFiles(u"FRAMES\\*.png");
    ASSERT_EQ(names.size(), 600u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(names.back(), u"f599.png");
}

TEST_F(FramesFolder, NoFolderOrNoPngGivesAnEmptyList) {
    EXPECT_TRUE(ListMatchingFiles(u"MISSING\\*.png").empty());
    Add("only.txt");
    EXPECT_TRUE(ListMatchingFiles(u"FRAMES\\*.png").empty());
}

TEST_F(FramesFolder, ARebuildKeepsTheIndexInsideTheList) {
    for (const char* name : {"a.png", "b.png", "c.png", "d.png"}) Add(name);
    FrameList list;
    list.Folder = u"FRAMES\\";
    list.Rebuild();
    ASSERT_EQ(list.PathOf(1), u"FRAMES\\b.png");
    ASSERT_EQ(list.FrameCount(), 4);
    list.CurrentFrameIndex = 2;
    Add("e.png");
    list.Rebuild();
    EXPECT_EQ(list.FrameCount(), 5);
    EXPECT_EQ(list.CurrentFrameIndex, 2);  // unchanged while it stays inside

    list.CurrentFrameIndex = 4;
    for (const char* name : {"c.png", "d.png", "e.png"}) std::remove((std::string("FRAMES/") + name).c_str());
    list.Rebuild();
    EXPECT_EQ(list.FrameCount(), 2);
    EXPECT_EQ(list.CurrentFrameIndex, 1);

    for (const char* name : {"a.png", "b.png"}) std::remove((std::string("FRAMES/") + name).c_str());
    list.Rebuild();
    EXPECT_EQ(list.FrameCount(), 0);
    EXPECT_EQ(list.CurrentFrameIndex, 0);
}

}  // namespace
