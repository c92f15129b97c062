// The random order's permutation, on the host at full speed.
#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <cstdlib>
#include <new>
#include <set>
#include <vector>

#include "engine/Shuffle.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Every allocation of the test program is counted, so that a permutation
// that kept anything of the size of its count would be seen.
void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

std::vector<uint32_t> Order(uint32_t count, uint32_t seed) {
    const ShufflePermutation order(count, seed);
    std::vector<uint32_t> positions;
    for (uint32_t p = 1; p <= count; ++p) positions.push_back(order(p));
    return positions;
}

}  // namespace

// Each position of 1..n lands on one position of 1..n and no two on the same:
// the small counts, counts just around the Feistel domain's sizes (powers of
// four), and large ones up to a million, for several seeds. No allocation is
// made, whatever the count.
TEST(ShufflePermutation, IsABijectionOfOneToNInConstantMemory) {
    std::vector<uint32_t> counts;
    for (uint32_t n = 1; n <= 70; ++n) counts.push_back(n);
    for (uint32_t n : {255u, 256u, 257u, 1000u, 1023u, 1024u, 1025u, 4095u, 4097u, 65535u, 65536u, 65537u, 99991u,
                       262143u, 1000000u})
        counts.push_back(n);
    std::vector<bool> hit;
    for (const uint32_t n : counts)
        for (const uint32_t seed : {1u, 2u, 77u, 0x7FFFFFFEu}) {
            hit.assign(n + 1, false);
            const long before = allocations.load();
            const ShufflePermutation order(n, seed);
            uint32_t distinct = 0;
            for (uint32_t p = 1; p <= n; ++p) {
                const uint32_t q = order(p);
                ASSERT_GE(q, 1u) << "n " << n;
                ASSERT_LE(q, n) << "n " << n;
                if (!hit[q]) ++distinct;
                hit[q] = true;
            }
            EXPECT_EQ(distinct, n) << "n " << n << " seed " << seed;
            EXPECT_EQ(allocations.load(), before) << "n " << n;
        }
    EXPECT_LE(sizeof(ShufflePermutation), 80u);
}

// Different seeds give different orders, and none of them is the catalogue's
// own order; the same seed gives the same order again (a restart retraces it).
// Over few pictures, where orders must repeat, the seeds still reach many
// orders and start rounds at every picture.
TEST(ShufflePermutation, DifferentSeedsGiveDifferentOrdersAndTheSameSeedTheSame) {
    for (const uint32_t n : {12u, 1000u}) {
        std::set<std::vector<uint32_t>> orders;
        std::vector<uint32_t> identity;
        for (uint32_t p = 1; p <= n; ++p) identity.push_back(p);
        for (uint32_t seed = 1; seed <= 40; ++seed) {
            const std::vector<uint32_t> order = Order(n, seed);
            EXPECT_NE(order, identity) << "n " << n << " seed " << seed;
            EXPECT_EQ(order, Order(n, seed));
            orders.insert(order);
        }
        EXPECT_EQ(orders.size(), 40u) << "n " << n;
    }
    std::set<std::vector<uint32_t>> orders;
    std::set<uint32_t> firsts;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        orders.insert(Order(5, seed));
        firsts.insert(Order(5, seed)[0]);
    }
    EXPECT_GT(orders.size(), 60u);  // of 120
    EXPECT_EQ(firsts.size(), 5u);
    // The same seed over another count is another order, not a cut of the first.
    const std::vector<uint32_t> eleven = Order(11, 9), twelve = Order(12, 9);
    EXPECT_NE(std::vector<uint32_t>(twelve.begin(), twelve.begin() + 5),
              std::vector<uint32_t>(eleven.begin(), eleven.begin() + 5));
}

TEST(ShuffleSeed, NewSeedsAreInRangeAndNeverThePreviousOne) {
    std::set<int32_t> seeds;
    for (uint64_t entropy = 0; entropy < 2000; ++entropy) {
        const int32_t seed = NewShuffleSeed(entropy, 0);
        EXPECT_TRUE(IsShuffleSeed(seed)) << seed;
        EXPECT_NE(NewShuffleSeed(entropy, seed), seed);
        EXPECT_TRUE(IsShuffleSeed(NewShuffleSeed(entropy, seed)));
        seeds.insert(seed);
    }
    EXPECT_GT(seeds.size(), 1990u);
    EXPECT_TRUE(IsShuffleSeed(NewShuffleSeed(0, kLastShuffleSeed)));
    for (const int32_t bad : {0, -1, 0x7FFFFFFF, std::numeric_limits<int32_t>::min()}) EXPECT_FALSE(IsShuffleSeed(bad));
}
