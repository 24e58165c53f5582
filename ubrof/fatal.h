#pragma once

#include <stdexcept>
#include <string>

namespace ubrof {

// A format error in a UBROF file, with the reader's message as its what().
// UbrofFileConvert catches it and hands the message to its caller, so that a
// bad file never ends the process that loads it and the operator sees why.
class UbrofFormatError : public std::runtime_error {
public:
    explicit UbrofFormatError(const std::string& message) : std::runtime_error(message) {}
};

// Raises UbrofFormatError with the message. Nothing goes to standard error:
// the reader runs inside the operator's program and the customer's library.
[[noreturn]] void UbrofFatal(const std::string& message);

// Does nothing when the condition holds; otherwise formats the message with
// printf conventions and hands it to UbrofFatal.
void UbrofCheck(bool condition, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Messages shared by several readers.
inline constexpr const char* kUbrofUnexpectedEnd = "Unexpected end of UBROF file";
inline constexpr const char* kUbrofRecordEnd = "Unexpected end of UBROF record";
inline constexpr const char* kUbrofIllegalLeb128 = "Illegal LEB128 number";

} // namespace ubrof
