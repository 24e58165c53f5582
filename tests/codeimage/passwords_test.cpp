// The 32 password entries and their text forms.

#include "core/passwords.h"
#include "tests/codeimage/code_fixture.h"

#include <string>
#include <vector>

namespace codeimage_test {
namespace {

using namespace core;

class PasswordsTest : public CodeImageTest {};

std::vector<int32_t> Entries(const int32_t* e) {
    return std::vector<int32_t>(e, e + kPasswordSize);
}

// Entries 0x00, 0x11, ... for the first n, undefined after.
std::vector<int32_t> FirstDefined(int n) {
    std::vector<int32_t> v(kPasswordSize, -1);
    for (int i = 0; i < n; ++i) {
        v[static_cast<size_t>(i)] = (i * 0x11) & 0xFF;
    }
    return v;
}

TEST_F(PasswordsTest, TextFormAndCompleteFlag) {
    struct Case {
        int defined;
        int32_t complete;
    };
    for (const Case c : {Case{0, 0}, Case{30, 0}, Case{31, 1}, Case{32, 1}}) {
        SCOPED_TRACE(c.defined);
        const std::vector<int32_t> v = FirstDefined(c.defined);
        std::copy(v.begin(), v.end(), Passwords.BslPassword);
        Passwords.PasswordComplete = 1 - c.complete;
        std::string text = "old";
        PasswordToHexText(text);
        EXPECT_EQ(Passwords.PasswordComplete, c.complete);
        ASSERT_EQ(text.size(), 64u);
        for (int i = 0; i < kPasswordSize; ++i) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%2.2X", static_cast<unsigned>(v[i] & 0xFF));
            EXPECT_EQ(text.substr(2 * i, 2), i < c.defined ? pair : "..") << i;
        }
        // And back.
        PasswordClear();
        PasswordFromHexText(text);
        EXPECT_EQ(Entries(Passwords.BslPassword), v);
    }
    // 31 defined entries anywhere count, not only the first ones.
    std::vector<int32_t> v = FirstDefined(32);
    v[0] = -1;
    std::copy(v.begin(), v.end(), Passwords.BslPassword);
    std::string text;
    PasswordToHexText(text);
    EXPECT_EQ(Passwords.PasswordComplete, 1);
    EXPECT_EQ(text.substr(0, 4), "..11");
}

TEST_F(PasswordsTest, ReadingTextsOfAnyShape) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<int32_t> password; // BslPassword, first entries; the rest -1
        std::vector<int32_t> append;   // AppendPasswData, first entries; the rest -1
    };
    const std::vector<Case> cases = {
        {"bytes and dots", "0aFF..7e", {0x0A, 0xFF, -1, 0x7E}, {0x0A, 0xFF, -1, 0x7E}},
        {"a dot first decides the password entry", ".5A5", {-1, 0xA5}, {-1, 0xA5}},
        {"not hex", "zz1g01", {-1, -1, 0x01}, {-1, -1, 0x01}},
        {"short text: the rest undefined", "1234", {0x12, 0x34}, {0x12, 0x34}},
        {"odd length: the last half pair undefined", "123", {0x12, -1}, {0x12, -1}},
        {"empty", "", {}, {}},
        {"longer than 64: the rest ignored", std::string(64, '0') + "FF", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto full = [&](const std::vector<int32_t>& first, int32_t fill) {
            std::vector<int32_t> v(kPasswordSize, fill);
            std::copy(first.begin(), first.end(), v.begin());
            return v;
        };
        const int32_t fill = c.text.size() >= 64 ? 0 : -1;
        std::vector<int32_t> old(kPasswordSize, 0x42);
        std::copy(old.begin(), old.end(), Passwords.BslPassword);
        std::copy(old.begin(), old.end(), Passwords.AppendPasswData);
        PasswordFromHexText(c.text);
        AppendPasswDataFromHexText(c.text);
        EXPECT_EQ(Entries(Passwords.BslPassword), full(c.password, fill));
        EXPECT_EQ(Entries(Passwords.AppendPasswData), full(c.append, fill));
    }
    // A text built from a std::string with no terminator past the view.
    const std::string backing = "ABCD";
    PasswordFromHexText(std::string_view(backing.data(), 3));
    EXPECT_EQ(Passwords.BslPassword[0], 0xAB);
    EXPECT_EQ(Passwords.BslPassword[1], -1);
}

TEST_F(PasswordsTest, AppendDataTextForm) {
    AppendPasswDataFromHexText("00..FF");
    std::string text;
    AppendPasswDataToHexText(text);
    EXPECT_EQ(text, "00..FF" + std::string(58, '.'));
    PasswordClear();
    EXPECT_EQ(Entries(Passwords.BslPassword), std::vector<int32_t>(kPasswordSize, -1));
    EXPECT_EQ(Passwords.PasswordComplete, 0);
}

} // namespace
} // namespace codeimage_test
