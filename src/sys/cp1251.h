// Windows-1251, the Cyrillic code page: the log's Russian texts are stored in it whatever the
// system's own code page is.
#pragma once

#include <string>

// Characters without a Windows-1251 form become '?'.
std::string ToCp1251(const std::u16string& text);
std::u16string FromCp1251(const std::string& text);
