// Texts in the user's locale: folding, sort keys, the list separator.
#include "ui/locale_text.h"

#include <windows.h>

#include <vector>

#include "ui/wide.h"

namespace ui {

std::u16string FoldForUser(const std::u16string& text) {
    if (text.empty()) return text;
    constexpr DWORD kFold = LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING | LCMAP_HALFWIDTH;
    const int length = static_cast<int>(text.size());
    const int size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kFold, W(text), length, nullptr, 0, nullptr, nullptr, 0);
    if (size <= 0) return text;
    std::u16string folded(static_cast<size_t>(size), u'\0');
    const int made = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kFold, W(text), length,
                                   reinterpret_cast<wchar_t*>(&folded[0]), size, nullptr, nullptr, 0);
    if (made <= 0) return text;
    folded.resize(static_cast<size_t>(made));
    return folded;
}

std::string SortKeyForUser(const std::u16string& text) {
    constexpr DWORD kSort = LCMAP_SORTKEY | NORM_IGNORECASE | SORT_DIGITSASNUMBERS;
    // An empty text has a key too (only the levels' separators), which sorts it first.
    const int length = text.empty() ? -1 : static_cast<int>(text.size());
    const wchar_t* source = text.empty() ? L"" : W(text);
    const int size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kSort, source, length, nullptr, 0, nullptr, nullptr, 0);
    if (size <= 0) return std::string();
    std::string key(static_cast<size_t>(size), '\0');
    const int made = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kSort, source, length, reinterpret_cast<wchar_t*>(&key[0]),
                                   size, nullptr, nullptr, 0);
    key.resize(made > 0 ? static_cast<size_t>(made) : 0);
    return key;
}

std::u16string UserListSeparator() {
    wchar_t separator[8] = {};
    const int size = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SLIST, separator, 8);
    return size > 1 ? U(separator) : std::u16string();
}

}  // namespace ui
