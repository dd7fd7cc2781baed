// How a chosen file is found in the frame list.
#include "frames/frame_choice.h"

namespace {

char16_t LowerAToZ(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameText(const std::u16string& a, const std::u16string& b, NameComparison comparison) {
    if (a.size() != b.size()) return false;
    if (comparison == NameComparison::Exact) return a == b;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAToZ(a[i]) != LowerAToZ(b[i])) return false;
    return true;
}

}  // namespace

std::u16string FolderOf(const std::u16string& path) {
    size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

int FindFrameName(const std::vector<std::u16string>& names, const std::u16string& name, NameComparison comparison) {
    for (size_t i = 0; i < names.size(); ++i)
        if (SameText(names[i], name, comparison)) return static_cast<int>(i);
    return -1;
}

