// Pelorin.cfg: the tolerant reader and the fixed-layout writer of the program's settings.
#pragma once

#include <cstddef>
#include <string>

#include "core/settings.h"

// The file, in the current directory.
extern const char16_t* const kConfigFileName;

// Longest value a key can have (the value buffer holds 200 bytes with its zero).
constexpr size_t kMaxValueLength = 199;

// Finds the body of section `name` ("[SYSTEM]"): true with its start and length, false when
// the text has no such section. The name matches as a prefix, without regard to case.
bool FindSection(const char* text, size_t length, const char* name, size_t* bodyStart, size_t* bodyLength);

// Finds the value of `key` in a section body: true with the value (at most 199 bytes), false
// when the key is missing or its value is empty. Keys count only as the first word of a line.
bool FindKeyValue(const char* body, size_t length, const char* key, std::string* value);

// "R,G,B" to 0x00BBGGRR; stops at the first blank or control byte.
ColorValue ParseColor(const char* text);

// The settings a configuration text gives, defaults filling what is missing.
Settings ParseConfiguration(const char* text, size_t length);

// The fixed layout the writer produces.
std::string FormatConfiguration(const Settings& settings);

enum ConfigReadResult { kConfigRead = 0, kConfigNotOpened = 1, kConfigNoMemory = 2 };

// Reads Pelorin.cfg into `settings`. The caller tells the user about kConfigNotOpened.
ConfigReadResult ReadConfiguration(Settings* settings);

// Writes `settings` to Pelorin.cfg, which must already exist. The file is replaced in
// one step, so a failed write leaves the previous file as it was; where it cannot be replaced
// (a folder that is not writable, a file held open by another program) it is written over in
// place and read back, and where that fails its old bytes are put back. The log says which way
// it was saved, or that it was not.
bool WriteConfiguration(const Settings& settings);
