// Parsing requests and writing JSON replies.
#include "protocol.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        switch (next) {
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            default: out += next; break;
        }
    }
    return out;
}

}  // namespace

std::string Request::Text(const std::string& name, const std::string& fallback) const {
    auto it = fields.find(name);
    return it == fields.end() ? fallback : it->second;
}

std::wstring Request::Wide(const std::string& name) const { return FromUtf8(Text(name)); }

bool Request::Number(const std::string& name, long long* value) const {
    auto it = fields.find(name);
    if (it == fields.end() || it->second.empty()) return false;
    char* end = nullptr;
    long long parsed = std::strtoll(it->second.c_str(), &end, 0);
    if (*end != '\0') return false;
    *value = parsed;
    return true;
}

long long Request::NumberOr(const std::string& name, long long fallback) const {
    long long value;
    return Number(name, &value) ? value : fallback;
}

bool ParseRequest(const std::string& line, Request* request, std::string* error) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    if (parts.empty() || parts[0].empty()) {
        *error = "empty request";
        return false;
    }
    request->command = parts[0];
    request->fields.clear();
    for (size_t i = 1; i < parts.size(); ++i) {
        size_t equals = parts[i].find('=');
        if (equals == std::string::npos || equals == 0) {
            *error = "field without name=value: " + parts[i];
            return false;
        }
        request->fields[parts[i].substr(0, equals)] = Unescape(parts[i].substr(equals + 1));
    }
    return true;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string JsonString(const std::wstring& text) { return JsonString(ToUtf8(text)); }

std::string JsonBool(bool value) { return value ? "true" : "false"; }

std::string JsonNumber(long long value) { return std::to_string(value); }

std::string JsonArray(const std::vector<std::string>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) out += ',';
        out += values[i];
    }
    return out + "]";
}

std::string JsonRect(const RECT& rect) {
    return JsonObject()
        .Add("left", JsonNumber(rect.left))
        .Add("top", JsonNumber(rect.top))
        .Add("right", JsonNumber(rect.right))
        .Add("bottom", JsonNumber(rect.bottom))
        .Text();
}

JsonObject& JsonObject::Add(const std::string& name, const std::string& jsonValue) {
    if (!members_.empty()) members_ += ',';
    members_ += JsonString(name) + ':' + jsonValue;
    return *this;
}

std::string JsonObject::Text() const { return "{" + members_ + "}"; }
