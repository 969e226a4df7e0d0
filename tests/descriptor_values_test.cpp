// What every engine's set-up function writes into a descriptor, in one
// table: names, capability bits, sizes, limits, which function slots are
// filled, and what the seed, key and thread entries return.  The slots
// follow from the capability bits (a conversion family is there exactly when
// its bit is), and the open and fast uniforms are the same addresses as the
// family members they copy.  The descriptor starts poisoned, so a slot the
// set-up forgets shows up as neither null nor right.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "subs/zrand.h"
#include "subs/zrng.h"
#include "support/host_fixture.h"

namespace {

struct Row {
    void (*setup)(zrngptr, uint64_t);
    const char* name;
    const char* label;
    uint64_t has;
    uint32_t bits;
    uint32_t log2Period;
    uint64_t maxSeed, maxKey;
    VXMemSize state, blob;
    bool crude;
    const char* codes; // seed_32 seed_64 key_32 key_64 thread_32 thread_64, each given 5
};

std::ostream& operator<<(std::ostream& os, const Row& r) { return os << r.name; }

class Descriptor : public ::testing::TestWithParam<Row>, public vxtest::TestHost {};

TEST_P(Descriptor, Values)
{
    const Row& r = GetParam();
    ZRNG_S q;
    std::memset(&q, 0xA5, sizeof q);
    r.setup(&q, 0);

    EXPECT_EQ(q.zrng_name_length, 16);
    EXPECT_EQ(q.zrng_label_length, 64);
    EXPECT_STREQ(q.zrng_name, r.name);
    EXPECT_STREQ(q.zrng_label, r.label);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(q.zrng_vxname[i], VXChar(i < std::strlen(r.name) ? r.name[i] : 0));
    EXPECT_EQ(q.zrng_has, r.has);
    EXPECT_EQ(q.zrng_bits, r.bits);
    EXPECT_EQ(q.zrng_log2_period, r.log2Period);
    EXPECT_EQ(q.zrng_max_seed, r.maxSeed);
    EXPECT_EQ(q.zrng_max_key, r.maxKey);
    EXPECT_EQ(q.zrng_state_size, r.state);
    EXPECT_EQ(q.zrng_flags, 0u);
    EXPECT_EQ(q.zrng_blob_size(), r.blob);
    EXPECT_LE(r.blob, sizeof(ZRANMT)) << "the blob lives in the stream's own state area";

    const bool d32 = r.has & ZRNG_HAS_DOUBLE_32, d64 = r.has & ZRNG_HAS_DOUBLE_64;
    for (auto f : {q.zrng_double_32_reject_zero, q.zrng_double_32_open_open, q.zrng_double_32_open_closed,
                   q.zrng_double_32_closed_open, q.zrng_double_32_closed_closed})
        EXPECT_EQ(f != nullptr, d32);
    for (auto f : {q.zrng_double_53_reject_zero, q.zrng_double_53_open_open, q.zrng_double_53_closed_open,
                   q.zrng_double_64_reject_zero_one, q.zrng_double_64_closed_closed, q.zrng_double_infinite})
        EXPECT_EQ(f != nullptr, d64);
    EXPECT_EQ(q.zrng_count_32 != nullptr, (r.has & ZRNG_HAS_COUNT_32) != 0);
    EXPECT_EQ(q.zrng_count_64 != nullptr, (r.has & ZRNG_HAS_COUNT_64) != 0);
    EXPECT_EQ(q.zrng_double_crude != nullptr, r.crude);
    EXPECT_EQ(q.zrng_flotation, nullptr);
    if (r.bits <= 32 && r.bits != 0) {
        EXPECT_EQ(q.zrng_double_open, q.zrng_double_32_reject_zero);
        EXPECT_EQ(q.zrng_double_fast, q.zrng_double_32_closed_open);
    } else {
        EXPECT_EQ(q.zrng_double_open, q.zrng_double_64_reject_zero_one);
        EXPECT_EQ(q.zrng_double_fast, q.zrng_double_64_closed_closed);
    }

    // Native width 2, the other width 1, an entry the engine lacks 0.
    ZRANMT a{}, b{};
    std::string codes;
    for (auto call : {+[](ZRNG_S& d, void* p) { return d.zrng_seed_32(p, 5); },
                      +[](ZRNG_S& d, void* p) { return d.zrng_seed_64(p, 5); },
                      +[](ZRNG_S& d, void* p) { return d.zrng_key_32(p, 5); },
                      +[](ZRNG_S& d, void* p) { return d.zrng_key_64(p, 5); },
                      +[](ZRNG_S& d, void* p) { return d.zrng_thread_32(p, 5); },
                      +[](ZRNG_S& d, void* p) { return d.zrng_thread_64(p, 5); }})
        codes.append(codes.empty() ? "" : " ").append(std::to_string(call(q, &a)));
    EXPECT_EQ(codes, r.codes);

    // A seed of 0, or a double seed not above 0, asks the seed source, here the debugging override.
    setDouble("vxbug.RNGSEED", 42.0);
    a = ZRANMT{};
    q.zrng_seed_64(&a, 42);
    for (auto seedZero : {+[](ZRNG_S& d, void* p) { d.zrng_seed_64(p, 0); }, +[](ZRNG_S& d, void* p) { d.zrng_seed_32(p, 0); },
                          +[](ZRNG_S& d, void* p) { d.zrng_seed_double(p, -1.0); }}) {
        b = ZRANMT{};
        seedZero(q, &b);
        EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    }
}

constexpr uint64_t k32 = 0xFFFFFFFFu, k64 = UINT64_MAX;

// XORGENS imports nothing, yet declares a state size so that its name
// selects it.  TORVEL and RDRAND declare none: method selection never
// installs them; the RDRAND placeholder takes nothing and draws zeros.
INSTANTIATE_TEST_SUITE_P(
    Engines, Descriptor,
    ::testing::Values(
        Row{zrnfMT1998, "MT1998", "1998 32-bit Mersenne Twister", 0x28AF, 32, 19968, k32, k32, 2496, 2500, true, "2 1 2 1 2 1"},
        Row{zrnfMT32, "MT32", "2002 32-bit Mersenne Twister", 0x28AF, 32, 19968, k32, k32, 2496, 2500, true, "2 1 2 1 2 1"},
        Row{zrnfMTHYBRID, "MTHYBRID", "Hybrid 1998/2002 32-bit Mersenne Twister", 0x28AF, 32, 19968, k32, k32, 2496,
            2500, true, "2 1 2 1 2 1"},
        Row{zrnfMT64, "MT64", "64-bit Mersenne Twister", 0x1157, 64, 19968, k64, k64, 2496, 2504, false, "1 2 1 2 1 2"},
        Row{zrnfFRY2X32, "FRY2X32", "32-bit Random123 2x32-bit Threefry", 0x0AAF, 32, 64, k32, k32, 8, 28, false, "2 1 2 1 2 1"},
        Row{zrnfFRY2X64, "FRY2X64", "64-bit Random123 2x64-bit Threefry", 0x1557, 64, 128, k64, k64, 16, 56, false, "1 2 1 2 1 2"},
        Row{zrnfFRY4X64, "FRY4X64", "64-bit Random123 4x64-bit Threefry", 0x1557, 64, 256, k64, k64, 32, 104, false, "1 2 1 2 1 2"},
        Row{zrnfPCG32I, "PCG32I", "32-bit PCG32i", 0x082F, 32, 32, k32, 0x7FFFFFFFu, 4, 8, false, "2 1 2 1 0 0"},
        Row{zrnfPCG64I, "PCG64I", "64-bit PCG64i", 0x1057, 64, 64, k64, 0x7FFFFFFFFFFFFFFFull, 8, 16, false, "1 2 1 2 0 0"},
        Row{zrnfMH3, "MH3", "64-bit Murmur Hash 3", 0x1017, 64, 64, k64, 0, 8, 8, false, "1 2 0 0 0 0"},
        Row{zrnfXOR64, "XOR64", "64-bit XORSHIFT64*", 0x1017, 64, 64, k64, 0, 8, 8, false, "1 2 0 0 0 0"},
        Row{zrnfXOR128, "XOR128", "64-bit XORSHIFT128+", 0x1017, 64, 128, k64, 0, 16, 16, false, "1 2 0 0 0 0"},
        Row{zrnfXOR1024, "XOR1024", "64-bit XORSHIFT1024*", 0x1017, 64, 1024, k64, 0, 128, 136, false, "1 2 0 0 0 0"},
        Row{zrnfXOR4096, "XOR4096", "64-bit XORSHIFT4096*", 0x1017, 64, 4096, k64, 0, 512, 520, false, "1 2 0 0 0 0"},
        Row{zrnfXORGENS, "XORGENS", "64-bit XORGENS*", 0x1013, 64, 0, k64, 0, 520, 528, false, "1 2 0 0 0 0"},
        Row{zrnfSUBKEY32, "SUBKEY32", "32-bit Subtract Key", 0x082F, 32, 32, k32, k32, 4, 8, false, "2 1 2 1 0 0"},
        Row{zrnfSUBKEY64, "SUBKEY64", "64-bit Subtract Key", 0x1057, 64, 64, k64, k64, 8, 16, false, "1 2 1 2 0 0"},
        Row{zrnfTORVEL, "TORVEL", "", 0x080A, 31, 0, k32, 0, 0, 8, true, "2 1 0 0 0 0"},
        Row{zrnfRDRAND, "RDRAND", "Intel RDRAND", 0x3801, 0, 0, 0, 0, 0, 0, false, "0 0 0 0 0 0"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
