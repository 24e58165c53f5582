// The report-descriptor parser on hand-made descriptors.

#include "platform/fake_hid.h"
#include "platform/hid_descriptor.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using platform::HidReportKind;
using platform::HidReportLayout;
using platform::ParseHidReportDescriptor;

HidReportLayout Parse(const std::vector<uint8_t>& d, bool expect_ok = true) {
    HidReportLayout layout;
    EXPECT_EQ(ParseHidReportDescriptor(d.data(), d.size(), &layout), expect_ok);
    return layout;
}

TEST(HidDescriptorTest, UnnumberedReportsCountTheIdByte) {
    // Usage page, collection, 64 bytes in and out, no report ids.
    const std::vector<uint8_t> d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75,
                                    0x08, 0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x95,
                                    0x40, 0x09, 0x01, 0x91, 0x02, 0xC0};
    HidReportLayout l = Parse(d);
    EXPECT_FALSE(l.uses_report_ids);
    EXPECT_EQ(l.input_report_length, 65);
    EXPECT_EQ(l.output_report_length, 65);
    EXPECT_EQ(l.feature_report_length, 0);
    EXPECT_EQ(l.ReportLength(HidReportKind::kInput, 0), 65);
    EXPECT_EQ(l.ReportLength(HidReportKind::kInput, 1), 0);
}

TEST(HidDescriptorTest, NumberedReportsByIdAndKind) {
    const std::vector<uint8_t> d = {
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,       //
        0x85, 0x01, 0x75, 0x08, 0x95, 0x08, 0x91, 0x02, // output 1: 8 bytes
        0x85, 0x02, 0x95, 0x10, 0x91, 0x02,             // output 2: 16 bytes
        0x85, 0x03, 0x75, 0x04, 0x95, 0x03, 0x81, 0x02, // input 3: 12 bits
        0x75, 0x01, 0x95, 0x04, 0x81, 0x03,             // input 3: 4 padding bits more
        0x85, 0xC8, 0x75, 0x08, 0x95, 0x01, 0xB1, 0x02, // feature 0xC8: 1 byte
        0xC0};
    HidReportLayout l = Parse(d);
    EXPECT_TRUE(l.uses_report_ids);
    EXPECT_EQ(l.ReportLength(HidReportKind::kOutput, 1), 9);
    EXPECT_EQ(l.ReportLength(HidReportKind::kOutput, 2), 17);
    EXPECT_EQ(l.output_report_length, 17);
    EXPECT_EQ(l.ReportLength(HidReportKind::kInput, 3), 3); // 16 bits + id
    EXPECT_EQ(l.input_report_length, 3);
    EXPECT_EQ(l.ReportLength(HidReportKind::kFeature, 0xC8), 2);
    EXPECT_EQ(l.ReportLength(HidReportKind::kFeature, 0xC9), 0);
}

TEST(HidDescriptorTest, ItemsBeforeTheFirstReportIdBelongToNoReport) {
    const std::vector<uint8_t> d = {
        0x75, 0x08, 0x95, 0x40, 0x81, 0x02, // input without an id yet: 64 bytes
        0x85, 0x05, 0x95, 0x04, 0x81, 0x02, // input 5: 4 bytes
        0x95, 0x02, 0x91, 0x02,             // output 5: 2 bytes
        0xC0};
    HidReportLayout l = Parse(d);
    EXPECT_TRUE(l.uses_report_ids);
    EXPECT_EQ(l.ReportLength(HidReportKind::kInput, 0), 0);
    EXPECT_EQ(l.input_report_length, 5) << "the 64 bytes before the id do not count";
    EXPECT_EQ(l.output_report_length, 3);
    EXPECT_EQ(l.feature_report_length, 0);
}

TEST(HidDescriptorTest, PushPopLongItemsAndFourByteData) {
    const std::vector<uint8_t> d = {
        0x75, 0x08, 0x97, 0x03, 0x00, 0x00, 0x00, // report size 8, count 3 (4-byte data)
        0xA4,                                     // push
        0x75, 0x10,                               // report size 16
        0x81, 0x02,                               // input: 3 x 16 bits
        0xB4,                                     // pop: size 8 again
        0xFE, 0x02, 0x10, 0xAA, 0xBB,             // a long item, skipped
        0x91, 0x02,                               // output: 3 x 8 bits
    };
    HidReportLayout l = Parse(d);
    EXPECT_EQ(l.input_report_length, 7);
    EXPECT_EQ(l.output_report_length, 4);
}

TEST(HidDescriptorTest, MalformedDescriptorsAreRefused) {
    const std::vector<std::vector<uint8_t>> bad = {
        {0x75},                        // item data missing
        {0x97, 0x01, 0x02},            // 4-byte item cut short
        {0xFE, 0x05, 0x10, 0x01},      // long item cut short
        {0x85, 0x00},                  // report id 0
        {0x86, 0x00, 0x01},            // report id 256
        {0xB4},                        // pop without push
        {0x77, 0xFF, 0xFF, 0xFF, 0xFF, // report size and count so large that the
         0x97, 0xFF, 0xFF, 0xFF, 0xFF, // report passes 65535 bytes
         0x81, 0x02},
    };
    for (const auto& d : bad) {
        HidReportLayout l = Parse(d, false);
        EXPECT_EQ(l.input_report_length, 0);
        EXPECT_FALSE(l.uses_report_ids);
    }
    // Seventeen pushes pass the stack.
    std::vector<uint8_t> deep(17, 0xA4);
    Parse(deep, false);
}

TEST(HidDescriptorTest, BuilderMakesWhatTheParserReads) {
    auto d = platform::BuildHidReportDescriptor({{0x3F, 63}}, {{1, 1}, {63, 63}, {255, 255}},
                                                {{0xC8, 1}, {0xC9, 2}});
    HidReportLayout l = Parse(d);
    EXPECT_EQ(l.input_report_length, 64);
    EXPECT_EQ(l.output_report_length, 256);
    EXPECT_EQ(l.ReportLength(HidReportKind::kOutput, 63), 64);
    EXPECT_EQ(l.feature_report_length, 3);
    EXPECT_EQ(l.ReportLength(HidReportKind::kFeature, 0xC8), 2);
}

} // namespace
