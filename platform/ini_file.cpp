#include "platform/ini_file.h"

#include "platform/ascii.h"

#include <fstream>

namespace platform {
namespace {

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string_view Unquoted(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

std::string Bounded(std::string_view v, size_t buffer_size) {
    if (buffer_size == 0) {
        return {};
    }
    return std::string(v.substr(0, buffer_size - 1));
}

// True with the value when the file has the key in the section.
bool Find(const std::string& path, std::string_view section, std::string_view key,
          std::string* value) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string_view wanted_section = Trim(section);
    const std::string_view wanted_key = Trim(key);
    bool in_section = false;
    std::string line;
    while (std::getline(in, line)) {
        const std::string_view l = Trim(line);
        if (l.empty() || l.front() == ';') {
            continue;
        }
        if (l.front() == '[') {
            const size_t close = l.find(']');
            in_section = close != std::string_view::npos &&
                         EqualNoCase(Trim(l.substr(1, close - 1)), wanted_section);
            continue;
        }
        const size_t eq = l.find('=');
        if (!in_section || eq == std::string_view::npos) {
            continue;
        }
        if (EqualNoCase(Trim(l.substr(0, eq)), wanted_key)) {
            *value = std::string(Unquoted(Trim(l.substr(eq + 1))));
            return true;
        }
    }
    return false;
}

} // namespace

std::string IniReadString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view default_value, size_t buffer_size) {
    std::string value;
    if (!Find(path, section, key, &value)) {
        return Bounded(default_value, buffer_size);
    }
    return Bounded(value, buffer_size);
}

} // namespace platform
