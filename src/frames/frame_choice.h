// How a file chosen in the open-file dialog is found in the frame list.
#pragma once

#include <string>
#include <vector>

// View compares names exactly; Edit ignores the case of the letters A to Z (and only those).
enum class NameComparison { Exact, IgnoreCaseAToZ };

// The folder part of a full path, with its closing backslash ("C:\\F\\x.png" gives "C:\\F\\").
std::u16string FolderOf(const std::u16string& path);

// The first index whose name is `name`, or -1.
int FindFrameName(const std::vector<std::u16string>& names, const std::u16string& name, NameComparison comparison);

