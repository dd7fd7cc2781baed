// printf-style formatting of the UTF-16 interface texts.
#include "core/text_format.h"

#include <string>

std::u16string FormatText(const char16_t* format, std::initializer_list<TextArg> args) {
    std::u16string out;
    auto next = args.begin();
    for (const char16_t* p = format; *p; ++p) {
        if (*p != u'%' || (p[1] != u's' && p[1] != u'd' && p[1] != u'%')) {
            out += *p;
            continue;
        }
        ++p;
        if (*p == u'%') {
            out += u'%';
            continue;
        }
        if (next == args.end()) continue;
        if (next->isNumber) out += Widen(std::to_string(next->number));
        else out += next->text;
        ++next;
    }
    if (out.size() > kTextBufferLength - 1) out.resize(kTextBufferLength - 1);
    return out;
}

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }
