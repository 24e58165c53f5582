#pragma once

#include <stdexcept>
#include <string>

// A format error in a UBROF file. The message has already gone to standard
// error when this is raised; UbrofFileConvert catches it so that a bad file
// never ends the process that loads it.
class UbrofFormatError : public std::runtime_error {
public:
    explicit UbrofFormatError(const std::string& message) : std::runtime_error(message) {}
};

// Writes the message to standard error as it stands (no newline added) and
// raises UbrofFormatError.
[[noreturn]] void UbrofFatal(const std::string& message);

// Does nothing when the condition holds; otherwise formats the message with
// printf conventions and hands it to UbrofFatal.
void UbrofCheck(bool condition, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Messages shared by several readers.
inline constexpr const char* kUbrofUnexpectedEnd = "Unexpected end of UBROF file";
inline constexpr const char* kUbrofRecordEnd = "Unexpected end of UBROF record";
inline constexpr const char* kUbrofIllegalLeb128 = "Illegal LEB128 number";
