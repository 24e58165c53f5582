#pragma once
// Reading one value from a settings file in the INI layout: "[section]"
// lines, "key=value" lines, ';' comment lines.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The value of key in section of the file at path, looked up the way the
// original profile API does: section and key names compare without regard
// to case and surrounding blanks, the first occurrence wins, the value
// loses its surrounding blanks and one pair of enclosing quotes. A file
// that cannot be read, a missing section or a missing key give
// default_value. Like the API's caller-sized buffer, the result holds at
// most buffer_size - 1 characters (nothing for a buffer_size of 0).
std::string IniReadString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view default_value, size_t buffer_size);

} // namespace platform
