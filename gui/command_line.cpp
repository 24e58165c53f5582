#include "gui/command_line.h"

#include "core/line_reader.h"

#include <cstring>

namespace gui {

CommandLineState CommandLine;

std::string CommandLineJoin(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& a : arguments) {
        if (!text.empty()) {
            text += ' ';
        }
        text += a;
    }
    return text;
}

namespace {

bool BeginsOption(const std::string& text, size_t i) {
    for (const char* const* o = CommandLineOptions; **o != '\0'; ++o) {
        if (text.compare(i, std::strlen(*o), *o) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

void OptionValueTake(const std::string& rest) {
    std::string value = rest;
    for (size_t i = 1; i < value.size(); ++i) {
        if (value[i] == '-' && (value[i - 1] == ' ' || value[i - 1] == '\t') &&
            BeginsOption(value, i)) {
            value.resize(i - 1);
            break;
        }
    }
    while (value.size() > 3 && (value.back() == ' ' || value.back() == '\t')) {
        value.pop_back();
    }
    CommandLine.OptionValue = value;
}

int32_t OptionFind(const std::string& option) {
    char* line = core::LineReader.line;
    const size_t n =
        std::min(CommandLine.CommandLineText.size(), static_cast<size_t>(core::kLineSize));
    std::memcpy(line, CommandLine.CommandLineText.data(), n);
    line[n] = '\0';
    CommandLine.OptionValue.clear();
    for (int32_t left = core::LineNextToken(0); left > 0; left = core::LineNextToken(1)) {
        if (std::strncmp(line, option.c_str(), option.size()) == 0) {
            if (core::LineNextToken(1) > 0) {
                OptionValueTake(line);
            }
            return 1;
        }
    }
    return 0;
}

} // namespace gui
