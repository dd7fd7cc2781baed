// Where the twelve commentary fields stand.
#include "mainwnd/field_layout.h"

#include <algorithm>
#include <string>

const std::array<FieldSpec, kFieldCount> kCommentaryFields = {{
    {2000, 5, 50},    // Item
    {2001, 6, 30},    // Monitoring date
    {2002, 7, 50},    // Operator
    {2003, 8, 10},    // Defect coordinates (depth)
    {2004, 9, 150},   // The note
    {2005, 12, 20},   // Operator code
    {2007, 14, 25},   // Object type
    {2008, 15, 25},   // Object number
    {2009, 16, 25},   // Material
    {2010, 17, 25},   // Thickness
    {2006, 19, 105},  // Defect type (code)
    {2011, 20, 105},  // Additional information
}};

namespace {

constexpr int kCharWidth = 8;     // RegularFont
constexpr int kLineHeight = 20;   // one-line field
constexpr int kBlockHeight = 54;  // multi-line field
constexpr int kRightLimit = 888;  // right-hand fields end here at the latest

int Length(const char16_t* text) { return static_cast<int>(std::char_traits<char16_t>::length(text)); }

FieldRect OneLine(int left, int top, int maxLength) {
    return {left, top, left + kCharWidth * maxLength + 8, top + kLineHeight};
}

// A multi-line field is as wide as a third of its characters.
FieldRect Block(int left, int top, int maxLength) {
    return {left, top, left + kCharWidth * (maxLength / 3) + 8, top + kBlockHeight};
}

FieldRect RightHand(int left, int top, int maxLength) {
    FieldRect r = OneLine(left, top, maxLength);
    r.right = std::min(r.right, kRightLimit);
    return r;
}

}  // namespace

std::array<FieldRect, kFieldCount> ComputeFieldRects(const char16_t* const* texts) {
    const auto& f = kCommentaryFields;
    return {{
        OneLine(150, 480, f[0].maxLength),
        OneLine(150, 510, f[1].maxLength),
        OneLine(150, 540, f[2].maxLength),
        OneLine(9 * Length(texts[8]) + 5, 570, f[3].maxLength),
        Block(150, 600, f[4].maxLength),
        RightHand(kCharWidth * Length(texts[12]) + 608, 60, f[5].maxLength),
        RightHand(kCharWidth * Length(texts[14]) + 610, 120, f[6].maxLength),
        RightHand(kCharWidth * Length(texts[15]) + 610, 150, f[7].maxLength),
        RightHand(kCharWidth * Length(texts[16]) + 610, 180, f[8].maxLength),
        RightHand(kCharWidth * Length(texts[17]) + 610, 210, f[9].maxLength),
        Block(600, 350, f[10].maxLength),
        Block(600, 470, f[11].maxLength),
    }};
}

std::array<LabelPlace, kLabelCount> ComputeLabelPlaces(const char16_t* const* texts) {
    struct Label {
        int entry, left, top;
        bool bold;
    };
    const Label labels[kLabelCount] = {
        {5, 5, 480, false},   {6, 5, 510, false},  {7, 5, 540, false},
        {8, 5, 570, false},   {10, 9 * Length(texts[8]) + 115, 570, false},  // "mm" after the coordinates
        {9, 5, 600, false},   {11, 640, 30, true},  {12, 600, 60, false},  {13, 600, 90, false},
        {14, 600, 120, false}, {15, 600, 150, false}, {16, 600, 180, false}, {17, 600, 210, false},
        {18, 640, 290, true}, {19, 600, 320, false}, {20, 600, 440, false},
        {21, 640, 630, true},  // "Signature": no field, room for a hand-written one
    };
    std::array<LabelPlace, kLabelCount> places;
    for (int i = 0; i < kLabelCount; ++i) {
        const Label& s = labels[i];
        const int charWidth = s.entry == 21 ? 9 : kCharWidth;
        places[i] = {s.entry, s.left, s.top, charWidth * Length(texts[s.entry]), 16, s.bold};
    }
    return places;
}
