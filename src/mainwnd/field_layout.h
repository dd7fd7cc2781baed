// The twelve commentary fields of the main window: their order, controls, lengths and where
// they stand, which depends on the label texts of the language at start-up.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr int kFieldCount = 12;

struct FieldSpec {
    int controlId;
    int labelEntry;      // message table entry of the field's label
    uint16_t maxLength;  // characters
};

// In field order, which is also the record order of the commentary file. Control ids 2006
// and 2007 are not in this order.
extern const std::array<FieldSpec, kFieldCount> kCommentaryFields;

struct FieldRect {
    int left, top, right, bottom;
};

// Client-pixel rectangles of the fields for the label texts `texts` (58 entries).
std::array<FieldRect, kFieldCount> ComputeFieldRects(const char16_t* const* texts);

// The 17 labels of the frame view: message table entry, place (client pixels) and font. Every
// label is 8 pixels per character wide and 16 high, "Signature" 9 per character.
constexpr int kLabelCount = 17;

// Labels of the main window (the frame's title, prev/next) are 16 pixels high and 8 pixels
// wide per character.
constexpr int kLabelHeight = 16;
constexpr int LabelWidth(size_t characters) { return 8 * static_cast<int>(characters); }

struct LabelPlace {
    int entry;
    int left, top, width, height;
    bool bold;  // BoldFont, else RegularFont
};

// For the label texts `texts` (58 entries); the "mm" label follows the length of entry 8.
std::array<LabelPlace, kLabelCount> ComputeLabelPlaces(const char16_t* const* texts);
