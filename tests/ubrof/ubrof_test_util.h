#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"
#include "ubrof/convert.h"

namespace ubrof_test {

struct ConvertResult {
    int result = -1;
    std::string text;
    std::string errors; // the reason handed back
};

// Converts the bytes as a file through UbrofFileConvert, starting from an
// output string that already holds text. The reader never writes to
// standard error itself.
inline ConvertResult ConvertBytes(const Bytes& bytes) {
    TempFile file(bytes);
    ConvertResult r;
    r.text = "left over from before";
    r.errors = "left over reason";
    testing::internal::CaptureStderr();
    r.result = ubrof::UbrofFileConvert(file.path(), r.text, r.errors);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    return r;
}

// A file the reader must refuse, and the message it must give.
struct ErrorCase {
    std::string name;
    UbrofBuilder file;
    std::string message;
};

// Each file refused whole: result 0, exactly its message on standard error,
// and no text (not even what the output held before).
inline void ExpectFails(const std::vector<ErrorCase>& cases) {
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ConvertResult r = ConvertBytes(c.file.bytes());
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.errors, c.message);
        EXPECT_EQ(r.text, "");
    }
}

} // namespace ubrof_test
