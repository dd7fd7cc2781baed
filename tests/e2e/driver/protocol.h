// The driver's line protocol: requests in, one JSON reply per request out.
//
// A request is one line of UTF-8: the command word, then fields "name=value" separated by tabs.
// Values escape "\\", "\t", "\n" and "\r" with a backslash. A reply is one line of JSON, always
// an object with "ok" (and "error" when it is false).
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct Request {
    std::string command;
    std::map<std::string, std::string> fields;

    bool Has(const std::string& name) const { return fields.count(name) != 0; }
    // The field as UTF-8, or the fallback when the request has no such field.
    std::string Text(const std::string& name, const std::string& fallback = "") const;
    std::wstring Wide(const std::string& name) const;
    // Decimal, or hexadecimal with a 0x prefix; false when missing or not a number.
    bool Number(const std::string& name, long long* value) const;
    long long NumberOr(const std::string& name, long long fallback) const;
};

// Splits one request line; false when it has no command word or a field has no "=".
bool ParseRequest(const std::string& line, Request* request, std::string* error);

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// JSON values, built as text.
std::string JsonString(const std::string& utf8);
std::string JsonString(const std::wstring& text);
std::string JsonBool(bool value);
std::string JsonNumber(long long value);
std::string JsonArray(const std::vector<std::string>& values);
std::string JsonRect(const RECT& rect);

// A JSON object, member by member in the order they are added.
class JsonObject {
public:
    JsonObject& Add(const std::string& name, const std::string& jsonValue);
    std::string Text() const;

private:
    std::string members_;
};
