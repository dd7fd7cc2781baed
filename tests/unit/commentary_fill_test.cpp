// "The same again" (Ctrl+D): which earlier frame's commentary is taken and which fields it fills.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "mainwnd/commentary_fill.h"

namespace {

CommentaryTexts Texts(const std::u16string& tag) {
    CommentaryTexts texts;
    for (int i = 0; i < kFieldCount; ++i) texts[i] = tag + u" " + std::u16string(1, static_cast<char16_t>(u'a' + i));
    return texts;
}

// A frame list whose commentaries are as given (frames not given have no file), noting which
// frames were read.
struct Frames {
    std::map<int, LoadedCommentary> commentaries;
    std::vector<int> read;

    void Put(int frame, CommentaryState state, const CommentaryTexts& texts = {}) { commentaries[frame] = {state, texts}; }
    LoadedCommentary operator()(int frame) {
        read.push_back(frame);
        const auto found = commentaries.find(frame);
        return found == commentaries.end() ? LoadedCommentary{} : found->second;
    }
};

TEST(CommentaryFill, TheNearestEarlierFrameThatDescribesAnInspection) {
    Frames frames;
    frames.Put(0, CommentaryState::Read, Texts(u"first"));
    frames.Put(1, CommentaryState::Read, Texts(u"second"));
    frames.Put(3, CommentaryState::Unreadable);
    // Only passed through while editing: a file with nothing of an inspection in it.
    CommentaryTexts defectOnly;
    defectOnly[3] = u"12";
    defectOnly[10] = u"crack";
    frames.Put(4, CommentaryState::Read, defectOnly);
    frames.Put(5, CommentaryState::Read, {});
    CommentaryTexts found;
    ASSERT_TRUE(FindEarlierInspection(6, std::ref(frames), &found));
    EXPECT_EQ(found, Texts(u"second"));
    // Nearest first, no further than needed: 2 has no file, 3 cannot be read.
    EXPECT_EQ(frames.read, (std::vector<int>{5, 4, 3, 2, 1}));
}

TEST(CommentaryFill, NothingBeforeTheFirstFrameOrWithoutAnyCommentary) {
    Frames frames;
    frames.Put(1, CommentaryState::Read, Texts(u"later"));
    CommentaryTexts found = Texts(u"untouched");
    EXPECT_FALSE(FindEarlierInspection(0, std::ref(frames), &found));
    EXPECT_TRUE(frames.read.empty());
    frames.Put(0, CommentaryState::Unreadable);
    EXPECT_FALSE(FindEarlierInspection(1, std::ref(frames), &found));
    EXPECT_EQ(found, Texts(u"untouched"));
}

TEST(CommentaryFill, OnlyEmptyInspectionFieldsAreFilled) {
    CommentaryTexts typed;
    typed[0] = u"my own item";
    typed[3] = u"7";      // defect coordinates, typed
    typed[8] = u" ";      // a blank typed is the operator's too
    const CommentaryTexts earlier = Texts(u"earlier");
    const CommentaryTexts filled = FillInspectionFields(typed, earlier);
    CommentaryTexts expected = typed;
    for (int field : {1, 2, 5, 6, 7, 9}) expected[field] = earlier[field];
    EXPECT_EQ(filled, expected);
    // The four fields of the defect are never filled, however empty.
    for (int field : {3, 4, 10, 11}) EXPECT_FALSE(DescribesInspection(field)) << field;
    EXPECT_EQ(FillInspectionFields(CommentaryTexts{}, earlier)[4], u"");
}

}  // namespace
