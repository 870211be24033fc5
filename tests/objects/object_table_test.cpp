#include "toolkit/objects/object_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "toolkit/objects/heap.h"
#include "toolkit/objects/os_seam.h"

namespace {

struct Thing {
    std::intptr_t handle;
    std::int32_t value;
};

ObjectTable* g_table = nullptr;
std::vector<std::int32_t> g_released;

void release_thing(std::int32_t number) {
    g_released.push_back(number);
    object_table_release(g_table, number);
}

// The sizes the table's array was grown to while a SeamWatch lives.
std::vector<std::size_t> g_grown_sizes;

void* recording_realloc(OsHeap heap, void* block, std::size_t size) {
    g_grown_sizes.push_back(size);
    return os_seam_platform().heap_realloc(heap, block, size);
}

class SeamWatch {
  public:
    SeamWatch() {
        g_grown_sizes.clear();
        os_seam().heap_realloc = recording_realloc;
    }
    SeamWatch(const SeamWatch&) = delete;
    SeamWatch& operator=(const SeamWatch&) = delete;
    ~SeamWatch() { os_seam().heap_realloc = os_seam_platform().heap_realloc; }
};

class ObjectTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(heap_start());
        g_released.clear();
        g_table = object_table_create<Thing>(4, release_thing);
        ASSERT_NE(g_table, nullptr);
    }
    void TearDown() override { heap_end(); }

    static Thing* make(std::int32_t number, std::intptr_t handle, std::int32_t* identity = nullptr) {
        Thing* thing = object_table_slot<Thing>(g_table, number, identity);
        if (thing) thing->handle = handle;
        return thing;
    }
};

TEST_F(ObjectTableTest, SlotsAreZeroFilledAndEmptySlotsNameNothing) {
    EXPECT_EQ(object_table_find(g_table, 0), nullptr);
    Thing* thing = make(2, 77);
    ASSERT_NE(thing, nullptr);
    EXPECT_EQ(thing->value, 0);
    EXPECT_EQ(object_table_find<Thing>(g_table, 2), thing);
    EXPECT_EQ(object_table_find(g_table, 1), nullptr);
    EXPECT_EQ(object_table_find(g_table, 3), nullptr);
    EXPECT_EQ(object_table_find(g_table, 4), nullptr);
}

TEST_F(ObjectTableTest, GrowsByTheStepAndKeepsEarlierRecords) {
    make(1, 11)->value = 5;
    SeamWatch watch;
    Thing* far = make(10, 99);
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(object_table_find<Thing>(g_table, 1)->value, 5);
    // The array now reaches 10 + 4: slots 11 to 13 exist and are empty, 14 is outside.
    EXPECT_EQ(g_grown_sizes, std::vector<std::size_t>{14 * sizeof(Thing)});
    EXPECT_EQ(object_table_find(g_table, 13), nullptr);
    for (std::int32_t number : {11, 12, 13}) EXPECT_NE(make(number, 5), nullptr);
    EXPECT_EQ(g_grown_sizes.size(), 1u);
    EXPECT_NE(make(14, 5), nullptr);
    EXPECT_EQ(g_grown_sizes, (std::vector<std::size_t>{14 * sizeof(Thing), 18 * sizeof(Thing)}));
    EXPECT_TRUE(g_released.empty());
}

TEST_F(ObjectTableTest, ReusingANumberReleasesItsObjectFirst) {
    make(3, 1)->value = 9;
    Thing* again = make(3, 2);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(g_released, std::vector<std::int32_t>{3});
    EXPECT_EQ(again->value, 0);
    EXPECT_EQ(object_table_find<Thing>(g_table, 3)->handle, 2);
}

TEST_F(ObjectTableTest, AnyNumberIdentitiesNeverMeetSlotNumbers) {
    std::int32_t first = 0;
    std::int32_t second = 0;
    ASSERT_NE(make(ANY_NUMBER, 1, &first), nullptr);
    ASSERT_NE(make(ANY_NUMBER, 2, &second), nullptr);
    EXPECT_LT(first, ANY_NUMBER);
    EXPECT_LT(second, ANY_NUMBER);
    EXPECT_NE(first, second);
    EXPECT_EQ(object_table_find<Thing>(g_table, first)->handle, 1);
    EXPECT_EQ(object_table_find<Thing>(g_table, second)->handle, 2);
    object_table_release(g_table, first);
    EXPECT_EQ(object_table_find(g_table, first), nullptr);
    EXPECT_EQ(object_table_find<Thing>(g_table, second)->handle, 2);
}

TEST_F(ObjectTableTest, NumbersNoOpeningHandedOutNameNothing) {
    make(0, 1);
    make(ANY_NUMBER, 2);
    for (std::int32_t number : {ANY_NUMBER, -12345, -10000, 4, 1000, std::numeric_limits<std::int32_t>::max(),
                                std::numeric_limits<std::int32_t>::min()})
        EXPECT_EQ(object_table_find(g_table, number), nullptr) << number;
    // Releasing such numbers is harmless.
    object_table_release(g_table, -12345);
    object_table_release(g_table, 1000);
    EXPECT_NE(object_table_find(g_table, 0), nullptr);
}

TEST_F(ObjectTableTest, IdentitiesSkipTheMenuControlIdentifier) {
    for (int i = 0; i < 10050; ++i) {
        std::int32_t identity = 0;
        ASSERT_NE(make(ANY_NUMBER, 1, &identity), nullptr);
        ASSERT_NE(identity, -10000);
        object_table_release(g_table, identity);
    }
}

TEST_F(ObjectTableTest, InvalidNumbersGetNoSlot) {
    EXPECT_EQ(object_table_slot(g_table, -2), nullptr);
    EXPECT_EQ(object_table_slot(g_table, std::numeric_limits<std::int32_t>::max()), nullptr);
}

TEST_F(ObjectTableTest, ReleaseAllGoesAscendingThenOldestToNewest) {
    std::int32_t older = 0;
    std::int32_t newer = 0;
    make(ANY_NUMBER, 1, &older);
    make(5, 1);
    make(ANY_NUMBER, 1, &newer);
    make(0, 1);
    make(2, 0);  // a slot without a handle holds no object
    object_table_release_all(g_table);
    EXPECT_EQ(g_released, (std::vector<std::int32_t>{0, 5, older, newer}));
    EXPECT_EQ(object_table_find(g_table, 0), nullptr);
    EXPECT_EQ(object_table_find(g_table, older), nullptr);
    EXPECT_EQ(object_table_find(g_table, newer), nullptr);
}

// A release operation that itself grows the table must not leave the caller with a stale slot.
ObjectTable* g_growing = nullptr;
void release_and_grow(std::int32_t number) {
    object_table_release(g_growing, number);
    auto* far = static_cast<Thing*>(object_table_slot(g_growing, 500));
    far->handle = 3;
}

TEST_F(ObjectTableTest, SlotStaysValidWhenReleaseGrowsTheTable) {
    g_growing = object_table_create<Thing>(2, release_and_grow);
    auto* thing = object_table_slot<Thing>(g_growing, 1);
    thing->handle = 1;
    Thing* again = object_table_slot<Thing>(g_growing, 1);
    ASSERT_NE(again, nullptr);
    again->handle = 2;
    EXPECT_EQ(object_table_find<Thing>(g_growing, 1)->handle, 2);
    EXPECT_EQ(object_table_find<Thing>(g_growing, 500)->handle, 3);
}

TEST(HeapTest, BlocksAreZeroFilledAndGoWithTheHeap) {
    ASSERT_TRUE(heap_start());
    auto* block = static_cast<unsigned char*>(heap_alloc(64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(block[i], 0);
    block[63] = 7;
    block = static_cast<unsigned char*>(heap_realloc(block, 10000));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[63], 7);
    heap_alloc(128);  // left allocated on purpose: destroying the heap frees it
    heap_end();
    EXPECT_EQ(heap_alloc(8), nullptr);
}

}  // namespace
