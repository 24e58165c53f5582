// Addresses, counted objects and handles, the segment code map and the error
// path.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ubrof/code_map.h"
#include "ubrof/counted.h"
#include "ubrof/fatal.h"
#include "ubrof/tagged_address.h"

using namespace ubrof;

namespace {

TEST(TaggedAddress, HoldsASignedKindAndA29BitIndex) {
    for (int32_t kind = -4; kind <= 3; ++kind) {
        const TaggedAddress a(kind, 0x1FFFFFFF, 0xFFFFFFFF);
        EXPECT_EQ(a.Kind(), kind);
        EXPECT_EQ(a.Index(), 0x1FFFFFFFu);
        EXPECT_EQ(a.offset, 0xFFFFFFFFu);
    }
    EXPECT_EQ(TaggedAddress(3, 0x20000001, 0).Index(), 1u);
}

TEST(TaggedAddress, OrdersByKindThenIndexThenOffset) {
    // Ascending order.
    const std::vector<TaggedAddress> ordered = {
        {-4, 9, 9}, {-1, 0, 0}, {0, 0, 5}, {0, 1, 0}, {0, 1, 1}, {3, 0, 0xFFFFFFFF}, {3, 1, 0},
    };
    for (size_t i = 0; i < ordered.size(); ++i) {
        for (size_t j = 0; j < ordered.size(); ++j) {
            SCOPED_TRACE(std::to_string(i) + " against " + std::to_string(j));
            EXPECT_EQ(ordered[i] < ordered[j], i < j);
            EXPECT_EQ(ordered[i] == ordered[j], i == j);
        }
    }
    std::map<TaggedAddress, int> keyed;
    keyed[{3, 1, 0}] = 1;
    keyed[{3, 1, 0}] = 2;
    keyed[{-1, 1, 0}] = 3;
    EXPECT_EQ(keyed.size(), 2u);
    EXPECT_EQ(keyed.begin()->second, 3);
}

class Probe : public CountedObject {
public:
    explicit Probe(int* alive) : alive_(alive) { ++*alive_; }
    ~Probe() override { --*alive_; }
    CountedHandle<Probe> next;

private:
    int* alive_;
};

class DerivedProbe : public Probe {
public:
    using Probe::Probe;
};

TEST(CountedHandle, CountsReferencesAndDeletesWithTheLast) {
    int alive = 0;
    {
        CountedHandle<Probe> a(new Probe(&alive));
        EXPECT_EQ(a->ReferenceCount(), 1);
        {
            CountedHandle<Probe> b(a);
            CountedHandle<Probe> c;
            c = a;
            EXPECT_EQ(a->ReferenceCount(), 3);
            c = a; // the object already held
            EXPECT_EQ(a->ReferenceCount(), 3);
            CountedHandle<Probe> moved(std::move(b));
            EXPECT_FALSE(b);
            EXPECT_EQ(a->ReferenceCount(), 3);
        }
        EXPECT_EQ(a->ReferenceCount(), 1);
        EXPECT_EQ(alive, 1);
        a = a;
        EXPECT_EQ(alive, 1);
        a = new Probe(&alive);
        EXPECT_EQ(alive, 1);
        CountedHandle<Probe> base(CountedHandle<DerivedProbe>(new DerivedProbe(&alive)));
        EXPECT_EQ(alive, 2);
        EXPECT_EQ(base->ReferenceCount(), 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(CountedHandle, NullHandlesAreAllowedEverywhere) {
    CountedHandle<Probe> a;
    CountedHandle<Probe> b(a);
    CountedHandle<Probe> c(static_cast<Probe*>(nullptr));
    a = b;
    a = nullptr;
    b = std::move(c);
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), nullptr);
}

// The new object lives only through the old one: it must be held before the
// old one goes.
TEST(CountedHandle, AssigningAnObjectOwnedByTheOldOneIsSafe) {
    int alive = 0;
    CountedHandle<Probe> head(new Probe(&alive));
    head->next = CountedHandle<Probe>(new Probe(&alive));
    head->next->next = CountedHandle<Probe>(new Probe(&alive));
    EXPECT_EQ(alive, 3);
    head = head->next;
    EXPECT_EQ(alive, 2);
    head = head->next.get();
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(head->ReferenceCount(), 1);
    head = nullptr;
    EXPECT_EQ(alive, 0);
}

TEST(CountedObject, CopiesStartWithNoReferences) {
    int alive = 0;
    CountedHandle<Probe> a(new Probe(&alive));
    Probe copy(*a);
    EXPECT_EQ(copy.ReferenceCount(), 0);
    Probe other(&alive);
    other = *a;
    EXPECT_EQ(other.ReferenceCount(), 0);
}

TEST(UbrofCodeMap, MapsKindsAndFileCodesBothWays) {
    const int fileCode[17] = {0, 1, 7, 2, 16, 13, 12, 14, 10, 8, 15, 11, 9, 3, 4, 5, 6};
    UbrofReset();
    for (int kind = 0; kind < 17; ++kind) {
        EXPECT_EQ(UbrofCodeMap::Forward(kind), fileCode[kind]);
        EXPECT_EQ(ubrofCodeMap.Inverse(static_cast<uint8_t>(fileCode[kind])), kind);
    }
    EXPECT_EQ(UbrofCodeMap::Forward(-1), -1);
    EXPECT_EQ(UbrofCodeMap::Forward(17), -1);
    for (int code = 17; code < 256; ++code) {
        EXPECT_EQ(ubrofCodeMap.Inverse(static_cast<uint8_t>(code)), 0);
    }
    EXPECT_TRUE(ubrofCodeMap.inverseBuilt);
    UbrofReset();
    EXPECT_FALSE(ubrofCodeMap.inverseBuilt);
    EXPECT_EQ(ubrofCodeMap.Inverse(16), 4);
}

TEST(UbrofCheck, RaisesTheFormattedMessageWithoutWritingIt) {
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(UbrofCheck(true, "never %d", 1));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // Longer than any fixed buffer the message might once have had.
    const std::string path(5000, 'p');
    testing::internal::CaptureStderr();
    try {
        UbrofCheck(false, "Problem opening file: '%s'", path.c_str());
        ADD_FAILURE() << "no error raised";
    } catch (const UbrofFormatError& error) {
        EXPECT_EQ(std::string(error.what()), "Problem opening file: '" + path + "'");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    testing::internal::CaptureStderr();
    try {
        UbrofFatal("No Common block defined for id 7");
        ADD_FAILURE() << "no error raised";
    } catch (const UbrofFormatError& error) {
        EXPECT_EQ(std::string(error.what()), "No Common block defined for id 7");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
