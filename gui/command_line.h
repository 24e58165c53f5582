#pragma once
// The command line of Quillbay: kept as one text (the arguments joined with
// blanks) and searched option by option. An option's value is the rest of
// the line up to the next option, so it may hold blanks (a path with blanks).

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

// The options in search order, ended by an empty entry.
inline constexpr const char* CommandLineOptions[] = {"-lock", "-sf", "-cf", "-nf", "-prj", ""};

struct CommandLineState {
    std::string CommandLineText; // the program's arguments joined with blanks
    std::string OptionValue;     // the value of the option found last

    void Reset() { *this = CommandLineState{}; }
};

extern CommandLineState CommandLine;

// The arguments after the program name joined with single blanks; the
// window system's own switches must already be gone.
std::string CommandLineJoin(const std::vector<std::string>& arguments);

// 1 when a token of CommandLineText begins with option, else 0; OptionValue
// is the option's value ("" when nothing follows it or it is not found).
int32_t OptionFind(const std::string& option);

// Cuts the remaining line down to the value: it ends before " -" or "\t-"
// followed by one of CommandLineOptions, trailing blanks and tabs go (at
// least 3 characters are kept). Sets OptionValue.
void OptionValueTake(const std::string& rest);

} // namespace gui
