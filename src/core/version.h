// The program's version, kept here and nowhere else: the caption and the About dialog show it,
// and CMakeLists.txt reads it from this line for the version resource of Pelorin.exe and the
// name of the Windows zip. Major and minor number, the minor one in two digits.
#pragma once

#define PELORIN_VERSION "2.04"
