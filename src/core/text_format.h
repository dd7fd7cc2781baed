// printf-style formatting of the UTF-16 interface texts ("%s" and "%d" only), bounded like the
// program's 500-code-unit text buffers.
#pragma once

#include <initializer_list>
#include <string>

struct TextArg {
    TextArg(const char16_t* s) : text(s ? s : u""), isNumber(false) {}
    TextArg(const std::u16string& s) : text(s), isNumber(false) {}
    TextArg(int n) : number(n), isNumber(true) {}
    std::u16string text;
    long long number = 0;
    bool isNumber;
};

// Longest text a formatting buffer holds (500 code units with the terminating zero).
constexpr size_t kTextBufferLength = 500;

// Fills "%s" and "%d" from `args` in order ("%%" gives "%"); a missing argument gives nothing.
// The result is cut to kTextBufferLength - 1 code units.
std::u16string FormatText(const char16_t* format, std::initializer_list<TextArg> args);

// ASCII to UTF-16, for numbers and addresses.
std::u16string Widen(const std::string& ascii);
