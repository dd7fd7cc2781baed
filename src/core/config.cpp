// Pelorin.cfg: the tolerant reader and the fixed-layout writer of the program's settings.
#include "core/config.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/file_store.h"
#include "core/log.h"
#include "core/ip_address.h"
#include "sys/cp1251.h"
#include "sys/sys.h"

const char16_t* const kConfigFileName = u"Pelorin.cfg";

namespace {

unsigned char Byte(const char* p) { return static_cast<unsigned char>(*p); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// atoi: optional sign, then leading digits; saturates instead of overflowing.
long long ToNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x7FFFFFFFLL) value = 0x80000000LL;
    }
    value = negative ? -value : value;
    if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
    return value;
}

std::u16string ToFolderPath(std::string value) {
    if (value.back() != '\\') value += '\\';
    return sys::FromAnsi(value);
}

// A folder as the file holds it: without its closing backslash, except for a drive root.
std::string FromFolderPath(const std::u16string& path) {
    std::string text = sys::ToAnsi(path);
    if (text.size() > 2 && text.back() == '\\' && text[text.size() - 2] != ':') text.pop_back();
    return text;
}

// The whole file; false when it cannot be opened or read.
bool ReadWhole(const char16_t* path, std::string* bytes) {
    sys::FileHolder file = sys::OpenFile(path, sys::OpenMode::Read);
    if (!file) return false;
    const int64_t size = sys::FileSize(file.get());
    if (size < 0) return false;
    // One byte more than the size, to see that nothing follows.
    bytes->assign(static_cast<size_t>(size) + 1, '\0');
    const int64_t got = sys::ReadFile(file.get(), &(*bytes)[0], bytes->size());
    if (got != size) return false;
    bytes->resize(static_cast<size_t>(got));
    return true;
}

void LogWriteFailure() {
    // "Error saving the program configuration." (Windows-1251)
    WriteLog((ToCp1251(u"Ошибка сохранения конфигурации программы.") + "\r\n").c_str());
}

void LogSaved(bool inPlace) {
    // "Program configuration saved (the file replaced)." / "... saved into the same file: it
    // cannot be replaced."
    WriteLog((ToCp1251(inPlace ? u"Конфигурация программы сохранена в том же файле: заменить его нельзя."
                               : u"Конфигурация программы сохранена (файл заменён).") +
              "\r\n")
                 .c_str());
}

// Puts `content` into Pelorin.cfg itself, from its start, and cuts it to that length: true once
// the file holds exactly those bytes, as read back.
bool OverwriteInPlace(const std::string& content) {
    sys::FileHolder file = sys::OpenFile(kConfigFileName, sys::OpenMode::WriteExisting);
    if (!file) return false;
    const bool written = sys::WriteFile(file.get(), content.data(), content.size()) &&
                         sys::SetFileLength(file.get(), static_cast<int64_t>(content.size())) &&
                         sys::FlushFile(file.get());
    file.Close();  // what is read back is what reached the file
    if (!written) return false;
    std::string check;
    return ReadWhole(kConfigFileName, &check) && check == content;
}

// Writes `content` over Pelorin.cfg where it cannot be replaced. The old bytes are kept first:
// when the new ones cannot be written whole (a full disk) or do not read back, the old ones go
// back, so the operator's settings are never left cut. Without the old bytes nothing is written.
bool WriteInPlace(const std::string& content) {
    std::string previous;
    if (!ReadWhole(kConfigFileName, &previous)) return false;
    if (OverwriteInPlace(content)) return true;
    OverwriteInPlace(previous);
    return false;
}

}  // namespace

bool FindSection(const char* text, size_t length, const char* name, size_t* bodyStart, size_t* bodyLength) {
    size_t nameLength = std::strlen(name);
    size_t i = 0;
    size_t pos = length;
    while (i < length) {
        if (text[i] != '[') {
            ++i;
            continue;
        }
        if (i + 1 + nameLength >= length) return false;
        if (EqualNoCase(text + i + 1, name, nameLength)) {
            pos = i + 1 + nameLength + 1;  // the byte after the name (normally "]") is not examined
            break;
        }
        i += 2;
    }
    if (pos >= length) return false;
    while (pos < length && Byte(text + pos) < '0') ++pos;
    if (pos == length) return false;
    *bodyStart = pos;
    size_t end = pos;
    while (end < length && text[end] != '[') ++end;
    *bodyLength = end - pos;
    return true;
}

bool FindKeyValue(const char* body, size_t length, const char* key, std::string* value) {
    size_t keyLength = std::strlen(key);
    size_t p = 0;
    auto skipLine = [&] {
        while (p < length && body[p] != '\n') ++p;
    };
    while (p < length) {
        unsigned char c = Byte(body + p);
        if (c == ';') {
            skipLine();
            continue;
        }
        if (c <= ' ') {
            ++p;
            continue;
        }
        bool isKey = p + keyLength < length && EqualNoCase(body + p, key, keyLength) &&
                     (Byte(body + p + keyLength) <= ' ' || body[p + keyLength] == '=');
        if (!isKey) {
            skipLine();
            continue;
        }
        size_t q = p + keyLength;
        while (q < length && body[q] != '=') {
            if (body[q] == '\r' || body[q] == '\n' || body[q] == ';') return false;
            ++q;
        }
        if (q == length) return false;
        ++q;
        while (q < length && Byte(body + q) <= ' ' && body[q] != '\r' && body[q] != '\n') ++q;
        if (q == length || body[q] == '\r' || body[q] == '\n' || body[q] == ';') return false;
        size_t end = q;
        while (end < length && end - q < kMaxValueLength && Byte(body + end) >= ' ') ++end;
        value->assign(body + q, end - q);
        return true;
    }
    return false;
}

ColorValue ParseColor(const char* text) {
    auto isStop = [](unsigned char b) { return b <= ' ' || b >= 0x80; };
    const char* p = text;
    auto number = [&p, &isStop] {
        char digits[4] = {};
        int n = 0;
        while (n < 3 && *p != ',' && !isStop(static_cast<unsigned char>(*p))) digits[n++] = *p++;
        return static_cast<ColorValue>(std::atoi(digits));
    };
    ColorValue color = number();
    if (isStop(static_cast<unsigned char>(*p))) return color;
    ++p;
    color += number() * 256u;
    if (isStop(static_cast<unsigned char>(*p))) return color;
    ++p;
    color += number() * 65536u;
    return color;
}

Settings ParseConfiguration(const char* text, size_t length) {
    Settings settings;
    size_t start = 0, bodyLength = 0;
    if (!FindSection(text, length, "SYSTEM", &start, &bodyLength)) return settings;
    const char* body = text + start;
    std::string value;
    if (FindKeyValue(body, bodyLength, "LANGUAGE_DEFAULT", &value))
        settings.CurrentLanguage = static_cast<LanguageId>(ToNumber(value) & 0xFF);
    if (FindKeyValue(body, bodyLength, "IP_ADDRESS", &value)) settings.DeviceIp = ParseIpAddress(value.c_str());
    if (FindKeyValue(body, bodyLength, "STARTUP_SEARCH_FLAG", &value))
        settings.StartupSearchFlag = static_cast<int32_t>(ToNumber(value));
    if (FindKeyValue(body, bodyLength, "FRAMES_PATH", &value)) settings.FramesPath = ToFolderPath(value);
    if (FindKeyValue(body, bodyLength, "LOG_PATH", &value)) settings.LogPath = ToFolderPath(value);
    if (FindKeyValue(body, bodyLength, "BACKGROUND_COLOR", &value)) settings.BackgroundColor = ParseColor(value.c_str());
    if (FindKeyValue(body, bodyLength, "FOREGROUND_COLOR", &value)) settings.ForegroundColor = ParseColor(value.c_str());
    return settings;
}

std::string FormatConfiguration(const Settings& s) {
    auto rgb = [](ColorValue c) {
        char text[48];
        std::snprintf(text, sizeof text, "%u,%u,%u", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        return std::string(text);
    };
    std::string out;
    auto line = [&out](const std::string& text) { out += text + "\r\n"; };
    line("; Pelorin program configuration file");
    line("");
    line("[SYSTEM]");
    line("");
    line("; select program language ( RUS=0, ENG=1, TUR=2 )");
    line("LANGUAGE_DEFAULT = " + std::to_string(static_cast<unsigned>(s.CurrentLanguage)));
    line("");
    line("; defectoscope IP address ");
    line("IP_ADDRESS = " + FormatIpAddress(s.DeviceIp));
    line("");
    line("; flag: searching defectoscope on net while initialization");
    line("STARTUP_SEARCH_FLAG = " + std::to_string(s.StartupSearchFlag));
    line("");
    line("; logfile path");
    line("LOG_PATH = " + FromFolderPath(s.LogPath));
    line("");
    line("; frame files path");
    line("FRAMES_PATH = " + FromFolderPath(s.FramesPath));
    line("");
    line("; *** program colours ***");
    line("; back colour");
    line("BACKGROUND_COLOR = " + rgb(s.BackgroundColor));
    line("; text colour");
    line("FOREGROUND_COLOR = " + rgb(s.ForegroundColor));
    return out;
}

ConfigReadResult ReadConfiguration(Settings* settings) {
    sys::FileHolder file = sys::OpenFile(kConfigFileName, sys::OpenMode::Read);
    if (!file) return kConfigNotOpened;
    int64_t size = sys::FileSize(file.get());
    // The file is handled with 16-bit lengths: of a longer one only this much is read.
    size_t length = static_cast<size_t>(size < 0 ? 0 : size % 65536);
    char* buffer = static_cast<char*>(sys::HeapAllocZeroed(length));
    if (!buffer) return kConfigNoMemory;
    int64_t got = sys::ReadFile(file.get(), buffer, length);
    *settings = ParseConfiguration(buffer, got > 0 ? static_cast<size_t>(got) : 0);
    sys::HeapRelease(buffer);
    return kConfigRead;
}

bool WriteConfiguration(const Settings& settings) {
    // Only a file that is there and may be written is saved; it is not held open meanwhile.
    if (!sys::OpenFile(kConfigFileName, sys::OpenMode::WriteExisting)) {
        // "Error saving the program configuration. The configuration file is not open!"
        WriteLog(ToCp1251(u"Ошибка сохранения конфигурации программы.\nФайл конфигурации не открыт!").c_str());
        return false;
    }

    // The new content takes the old one's place in one step, so a full disk cannot leave a cut
    // Pelorin.cfg behind.
    const std::string content = FormatConfiguration(settings);
    switch (StoreFileReplacing(kConfigFileName, reinterpret_cast<const uint8_t*>(content.data()), content.size())) {
        case StoreResult::Stored:
            LogSaved(false);
            return true;
        case StoreResult::NotWritten:
            // Out of space (or the like): writing over the old file would fail the same way.
            // It stays as it was.
            LogWriteFailure();
            return false;
        case StoreResult::NotCreated:
        case StoreResult::NotReplaced:
        case StoreResult::NameTaken:
            break;
    }
    // No file can be made beside it (the folder is not writable), or it cannot be replaced
    // (another program holds it open): the file itself still takes the new content, or the
    // settings of this run would be lost.
    if (WriteInPlace(content)) {
        LogSaved(true);
        return true;
    }
    LogWriteFailure();
    return false;
}
