// Texts as the user's locale compares, sorts and separates them.
#pragma once

#include <string>

namespace ui {

// `text` with letter case and width folded as the user's locale does (Cyrillic, Turkish and
// full-width letters included): two texts the user takes for the same fold alike.
std::u16string FoldForUser(const std::u16string& text);

// The user's locale's sort key of `text`: compared as unsigned bytes, keys sort as the user's
// locale sorts the texts, letter case ignored and digits inside texts taken as numbers
// ("weld 9" before "weld 10").
std::string SortKeyForUser(const std::u16string& text);

// The user's list separator (what a spreadsheet of the user's splits CSV cells at), as the
// locale gives it; empty when it gives none.
std::u16string UserListSeparator();

}  // namespace ui
