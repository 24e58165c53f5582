// The HID read cache is made anew at identify, every reset and every stop,
// clearing only the entries filled since the last time: whatever was
// filled, and wherever, a cache made anew holds no valid entry and no value.

#include "debugif/api_state.h"
#include "debugif/read_cache.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

using debugif::Api;
using debugif::kReadCacheEntries;

// The first entry that is not all zero, or -1.
long FirstNonZero() {
    for (size_t a = 0; a < Api.ReadCache.size(); ++a) {
        if (Api.ReadCache[a].valid != 0 || Api.ReadCache[a].value != 0) {
            return static_cast<long>(a);
        }
    }
    return -1;
}

TEST(ReadCacheTest, MadeAnewAfterAnyFillingEveryEntryIsInvalidAndZero) {
    struct Case {
        const char* what;
        std::vector<size_t> filled;
        bool resetBetween; // the API state reset between filling and making anew
    };
    std::vector<size_t> block;
    for (size_t a = 0x1000; a < 0x1100; ++a) {
        block.push_back(a);
    }
    const std::vector<Case> cases = {
        {"nothing", {}, false},
        {"first entry", {0}, false},
        {"last entry", {kReadCacheEntries - 1}, false},
        {"a block", block, false},
        {"far apart, high first", {0xFFFE, 0x0005, 0x8000}, false},
        {"far apart, across a state reset", {0x0200, 0xF000}, true},
    };
    Api.Reset();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        debugif::ResetReadCache();
        ASSERT_EQ(Api.ReadCache.size(), kReadCacheEntries);
        ASSERT_EQ(FirstNonZero(), -1);
        for (size_t a : c.filled) {
            Api.ReadCache.Fill(a, static_cast<uint8_t>(a | 1));
        }
        for (size_t a : c.filled) {
            EXPECT_EQ(Api.ReadCache[a].valid, 1u);
            EXPECT_EQ(Api.ReadCache[a].value, static_cast<uint8_t>(a | 1));
        }
        if (c.resetBetween) {
            Api.Reset();
            EXPECT_TRUE(Api.ReadCache.empty());
        } else {
            debugif::FreeReadCache();
            EXPECT_TRUE(Api.ReadCache.empty());
        }
        debugif::ResetReadCache();
        ASSERT_EQ(Api.ReadCache.size(), kReadCacheEntries);
        EXPECT_EQ(FirstNonZero(), -1);
    }
    Api.Reset();
}

TEST(ReadCacheTest, InvalidationStopsAtTheCacheEndAndAMovedTableIsEmpty) {
    Api.Reset();
    debugif::ResetReadCache();
    Api.ReadCache.Fill(0xFFFD, 1);
    Api.ReadCache.Fill(0xFFFF, 2);
    Api.ReadCache.Fill(0x0100, 3);
    debugif::InvalidateReadCache(0xFFFE, 0x100); // runs past the end
    EXPECT_EQ(Api.ReadCache[0xFFFD].valid, 1u);
    EXPECT_EQ(Api.ReadCache[0xFFFF].valid, 0u);
    EXPECT_EQ(Api.ReadCache[0x0100].valid, 1u);

    debugif::ReadCacheTable moved = std::move(Api.ReadCache);
    EXPECT_TRUE(Api.ReadCache.empty());
    EXPECT_EQ(moved.size(), kReadCacheEntries);
    EXPECT_EQ(moved[0x0100].value, 3u);
    Api.ReadCache = std::move(moved);
    Api.Reset();
}

} // namespace
