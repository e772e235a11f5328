// Whether the tosser's flag file exists, asked once per letter during a scan.
// The answer is exactly that of RegularFileExists (the name is matched without
// regard to case when the exact name is missing), but the usual case, a flag
// that is not there, costs one stat of its directory instead of a lookup
// and a directory read every time.
#pragma once

#include <string_view>

bool FlagFileExists(std::string_view ansiPath);
