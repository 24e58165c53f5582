// Quillbay's and Quillcore's setup-key tables side by side. Both read and
// write the same setup files, so every key they share must be the same row
// in both: the same name, over the same setting, with the same limits and
// default, in the same order (a key matches as a prefix of the line's first
// token, first row first, so the order decides which key a line sets). The
// keys only one of them has are named here; any other difference fails.

#include "api/lib_setup_keys.h"
#include "core/settings.h"
#include "core/setup_keys.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string name;
    const int32_t* variable;
    int32_t minimum;
    int32_t maximum;
    int32_t defaultValue;

    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << r.name << " [" << r.minimum << ".." << r.maximum << "] default " << r.defaultValue
               << (r.variable == nullptr ? " (no variable)" : "");
}

// The decimal keys' "up to the device table's last row" maximum is the same
// rule in both, under its own constant.
int32_t IntMaximum(int32_t maximum, int32_t deviceCountMarker) {
    return maximum == deviceCountMarker ? -1 : maximum;
}

std::vector<Row> QuillbayIntRows(const std::set<std::string>& only) {
    std::vector<Row> rows;
    for (const core::SetupIntKey* k = core::SetupIntKeyTable; k->variable != nullptr; ++k) {
        if (!only.count(k->name)) {
            rows.push_back({k->name, &(core::Settings.*(k->variable)), 0,
                            IntMaximum(k->maximum, core::kSetupMaxIsDeviceCount), k->defaultValue});
        }
    }
    return rows;
}

std::vector<Row> QuillcoreIntRows(const std::set<std::string>& only) {
    std::vector<Row> rows;
    for (const api::LibIntKey* k = api::LibIntKeyTable; k->variable != nullptr; ++k) {
        if (!only.count(k->name)) {
            rows.push_back({k->name, k->variable, 0,
                            IntMaximum(k->maximum, api::kLibMaxIsDeviceCount), k->defaultValue});
        }
    }
    return rows;
}

std::vector<Row> QuillbayHexRows(const std::set<std::string>& only) {
    std::vector<Row> rows;
    for (const core::SetupHexKey* k = core::SetupHexKeyTable; k->variable != nullptr; ++k) {
        if (!only.count(k->name)) {
            rows.push_back({k->name, &(core::Settings.*(k->variable)), k->minimum, k->maximum,
                            k->defaultValue});
        }
    }
    return rows;
}

std::vector<Row> QuillcoreHexRows(const std::set<std::string>& only) {
    std::vector<Row> rows;
    for (const api::LibHexKey* k = api::LibHexKeyTable; k->variable != nullptr; ++k) {
        if (!only.count(k->name)) {
            rows.push_back({k->name, k->variable, k->minimum, k->maximum, k->defaultValue});
        }
    }
    return rows;
}

// The keys one deliverable has and the other does not: Quillbay's report
// history and blank-line display are its windows' settings; Quillcore's
// "Interface" is the setup block's field over InterfaceType, and its DCO
// base address a setting of its own.
const std::set<std::string> kQuillbayOnly = {"ReportHistory", "DispSkipBlankLines"};
const std::set<std::string> kQuillcoreOnly = {"Interface", "DCO_base_address"};

TEST(SetupKeyTie, TheSharedKeysAreTheSameRowsInTheSameOrder) {
    struct Table {
        const char* what;
        std::vector<Row> quillbay;
        std::vector<Row> quillcore;
    };
    const Table tables[] = {
        {"decimal keys", QuillbayIntRows(kQuillbayOnly), QuillcoreIntRows(kQuillcoreOnly)},
        {"address keys", QuillbayHexRows(kQuillbayOnly), QuillcoreHexRows(kQuillcoreOnly)},
    };
    size_t shared = 0;
    for (const Table& t : tables) {
        ASSERT_EQ(t.quillbay.size(), t.quillcore.size()) << t.what;
        for (size_t i = 0; i < t.quillbay.size(); ++i) {
            EXPECT_EQ(t.quillbay[i], t.quillcore[i]) << t.what << ", row " << i;
        }
        shared += t.quillbay.size();
    }
    EXPECT_EQ(shared, 56u);
}

TEST(SetupKeyTie, TheKeysOfOneDeliverableAreInItsTablesAndNotInTheOther) {
    const auto names = [](const std::vector<Row>& a, const std::vector<Row>& b) {
        std::set<std::string> n;
        for (const auto* rows : {&a, &b}) {
            for (const Row& r : *rows) {
                n.insert(r.name);
            }
        }
        return n;
    };
    const std::set<std::string> quillbay = names(QuillbayIntRows({}), QuillbayHexRows({}));
    const std::set<std::string> quillcore = names(QuillcoreIntRows({}), QuillcoreHexRows({}));
    for (const std::string& k : kQuillbayOnly) {
        EXPECT_TRUE(quillbay.count(k) && !quillcore.count(k)) << k;
    }
    for (const std::string& k : kQuillcoreOnly) {
        EXPECT_TRUE(quillcore.count(k) && !quillbay.count(k)) << k;
    }
}

} // namespace
