// The journal's CSV file.
#include "frames/journal_csv.h"

#include <cstdint>

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// "-5", "+3.5", "12,5": an optional sign, digits, and at most one decimal separator between
// digits.
bool IsPlainNumber(const std::u16string& text) {
    size_t at = 0;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) ++at;
    const size_t digits = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == digits) return false;
    if (at < text.size() && (text[at] == u'.' || text[at] == u',')) {
        const size_t fraction = ++at;
        while (at < text.size() && IsDigit(text[at])) ++at;
        if (at == fraction) return false;
    }
    return at == text.size();
}

bool StartsLikeFormula(const std::u16string& text) {
    if (text.empty()) return false;
    const char16_t first = text[0];
    const bool formulaSign = first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' ||
                             first == u'\r';
    return formulaSign && !IsPlainNumber(text);
}

// Every line break (CR LF, a lone CR or LF) as CR LF.
std::u16string WithCrLf(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += u"\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

void AppendUtf8(std::string* out, const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;  // half a pair is no character
        }
        if (c < 0x80) {
            *out += static_cast<char>(c);
        } else if (c < 0x800) {
            *out += static_cast<char>(0xC0 | (c >> 6));
            *out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *out += static_cast<char>(0xE0 | (c >> 12));
            *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *out += static_cast<char>(0xF0 | (c >> 18));
            *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

}  // namespace

char16_t CsvSeparator(const std::u16string& listSeparator) {
    if (listSeparator.size() != 1) return u';';
    const char16_t c = listSeparator[0];
    const bool usable = c != u'"' && c != u'\r' && c != u'\n' && c != u'\'' && !(c >= 0xD800 && c < 0xE000);
    return usable ? c : u';';
}

std::u16string CsvCell(const std::u16string& text, char16_t separator) {
    std::u16string cell = WithCrLf(text);
    if (StartsLikeFormula(cell)) cell.insert(cell.begin(), u'\'');
    if (cell.find_first_of(std::u16string{separator, u'"', u'\r', u'\n'}) == std::u16string::npos) return cell;
    std::u16string quoted = u"\"";
    for (char16_t c : cell) {
        if (c == u'"') quoted += u'"';
        quoted += c;
    }
    return quoted + u"\"";
}

std::string CsvFile(const std::vector<std::vector<std::u16string>>& lines, char16_t separator) {
    std::string bytes = "\xEF\xBB\xBF";
    for (const std::vector<std::u16string>& line : lines) {
        std::u16string text;
        for (size_t i = 0; i < line.size(); ++i) {
            if (i > 0) text += separator;
            text += CsvCell(line[i], separator);
        }
        text += u"\r\n";
        AppendUtf8(&bytes, text);
    }
    return bytes;
}
