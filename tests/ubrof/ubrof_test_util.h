#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/ubrof/ubrof_builder.h"
#include "ubrof/convert.h"

namespace ubrof_test {

struct ConvertResult {
    int result = -1;
    std::string text;
    std::string errors; // what went to standard error
};

// Converts the bytes as a file through UbrofFileConvert, starting from an
// output string that already holds text.
inline ConvertResult ConvertBytes(const Bytes& bytes) {
    TempFile file(bytes);
    ConvertResult r;
    r.text = "left over from before";
    testing::internal::CaptureStderr();
    r.result = UbrofFileConvert(file.path(), r.text);
    r.errors = testing::internal::GetCapturedStderr();
    return r;
}

} // namespace ubrof_test
