// Writes tests/data/engines.kat from the published generators alone: the
// standard library's Mersenne Twisters and Lehmer engine, Random123's
// Threefry, pcg-cpp, the xorshift and xorgens code and MurmurHash3's
// reference.  Nothing here includes the module; a test runs this program and
// compares its output with the file, and engines_kat_test holds the module to
// the file.
//
// A row is: ENGINE OPS CONVERSION VALUES.  OPS are either the stream's fields
// (S=seed,K=key,T=thread: zrand_init applies them) or descriptor calls in
// order (s64=, t32=, k64=, c64= count, i= counter words imported, hex, colon
// separated).
// CONVERSION is u32, u64, open (the stream's uniform) or crude, with +N for
// N values skipped first.
#include <Random123/threefry.h>
#include <pcg_random.hpp>

#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/xorshift_reference.h"

namespace {

using vxref::fmix64;

// ---- MurmurHash3 (x86_32, x64_128), as published -----------------------------
uint32_t rotl32(uint32_t x, int r) { return (x << r) | (x >> (32 - r)); }
uint64_t rotl64(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }
uint32_t fmix32(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x85ebca6b;
    h ^= h >> 13;
    h *= 0xc2b2ae35;
    return h ^ (h >> 16);
}

// Whole blocks only (4 and 16 bytes): every input here is.
uint32_t murmur3_x86_32(const uint8_t* data, int len, uint32_t seed)
{
    uint32_t h1 = seed;
    const uint32_t c1 = 0xcc9e2d51, c2 = 0x1b873593;
    for (int i = 0; i < len / 4; i++) {
        uint32_t k1;
        std::memcpy(&k1, data + 4 * i, 4);
        h1 ^= rotl32(k1 * c1, 15) * c2;
        h1 = rotl32(h1, 13) * 5 + 0xe6546b64;
    }
    return fmix32(h1 ^ static_cast<uint32_t>(len));
}

void murmur3_x64_128(const uint8_t* data, int len, uint64_t seed, uint64_t out[2])
{
    uint64_t h1 = seed, h2 = seed;
    const uint64_t c1 = 0x87c37b91114253d5ull, c2 = 0x4cf5ad432745937full;
    for (int i = 0; i < len / 16; i++) {
        uint64_t k1, k2;
        std::memcpy(&k1, data + 16 * i, 8);
        std::memcpy(&k2, data + 16 * i + 8, 8);
        h1 ^= rotl64(k1 * c1, 31) * c2;
        h1 = (rotl64(h1, 27) + h2) * 5 + 0x52dce729;
        h2 ^= rotl64(k2 * c2, 33) * c1;
        h2 = (rotl64(h2, 31) + h1) * 5 + 0x38495ab5;
    }
    h1 ^= static_cast<uint64_t>(len);
    h2 ^= static_cast<uint64_t>(len);
    h1 += h2;
    h2 += h1;
    h1 = fmix64(h1);
    h2 = fmix64(h2);
    h1 += h2;
    h2 += h1;
    out[0] = h1;
    out[1] = h2;
}

// Substream mixing of the Twisters: word i rehashed with itself as the seed
// over (i, c, k); c is 255 for a thread number, 15 for a key.  The 64-bit
// form hashes an odd count of words padded with the finalised seed, and
// folds the two halves.
void mix32(std::vector<uint64_t>& w, uint32_t c, uint32_t k)
{
    for (size_t i = 0; i < w.size(); ++i) {
        const uint32_t b[3] = {static_cast<uint32_t>(i), c, k};
        w[i] = murmur3_x86_32(reinterpret_cast<const uint8_t*>(b), 12, static_cast<uint32_t>(w[i]));
    }
}
void mix64(std::vector<uint64_t>& w, uint64_t c, uint64_t k)
{
    for (size_t i = 0; i < w.size(); ++i) {
        const uint64_t b[4] = {i, c, k, fmix64(w[i])};
        uint64_t h[2];
        murmur3_x64_128(reinterpret_cast<const uint8_t*>(b), 32, w[i], h);
        w[i] = h[0] ^ h[1];
    }
}

// A standard Twister holding `words` with its block used up.
template <class Std>
Std twister(const std::vector<uint64_t>& words)
{
    std::stringstream ss;
    for (uint64_t v : words) ss << v << ' ';
    ss << words.size();
    Std g;
    ss >> g;
    return g;
}
template <class Std>
std::vector<uint64_t> wordsOf(const Std& g, size_t n)
{
    std::stringstream ss;
    ss << g;
    std::vector<uint64_t> w(n);
    for (auto& v : w) ss >> v;
    return w;
}

// ---- a peer: native outputs, and the stream's substream rules ----------------
struct Peer {
    int bits; // 32 or 64 (31 for the Lehmer engine)
    std::function<uint64_t()> next;
};

struct Ops {
    uint64_t seed = 0, key = 0, thread = 0;
};

using Make = std::function<Peer(const Ops&)>;

// A copyable peer around a generator object.
template <int Bits = 64, class R>
Peer shared(R r)
{
    auto p = std::make_shared<R>(r);
    return {Bits, [p] { return uint64_t{(*p)()}; }};
}

Peer mt32(uint32_t s, bool y1998, uint64_t key, uint64_t thread)
{
    std::vector<uint64_t> w(624);
    if (y1998) {
        w[0] = s;
        for (size_t i = 1; i < 624; ++i) w[i] = static_cast<uint32_t>(69069u * w[i - 1]);
    } else {
        w = wordsOf(std::mt19937(s), 624);
    }
    if (thread != 0) mix32(w, 255, static_cast<uint32_t>(thread));
    if (key != 0) mix32(w, 15, static_cast<uint32_t>(key));
    return shared<32>(twister<std::mt19937>(w));
}

Peer mt64(const Ops& o)
{
    std::vector<uint64_t> w = wordsOf(std::mt19937_64(o.seed), 312);
    if (o.thread != 0) mix64(w, 255, o.thread);
    if (o.key != 0) mix64(w, 15, o.key);
    return shared(twister<std::mt19937_64>(w));
}

// A generator whose words are the shared seed fill.
template <class R>
Peer filled(uint64_t seed)
{
    R r;
    vxref::fill(r.s, seed);
    return shared(r);
}

// xorshift128+ as published, except that the sum is stored back where the
// published code stores the exclusive-or: the engine's one deliberate change.
struct Xor128Sum {
    uint64_t s[2];
    uint64_t operator()()
    {
        uint64_t s1 = s[0];
        const uint64_t s0 = s[1];
        s[0] = s0;
        s1 ^= s1 << 23;
        s[1] = (s1 ^ s0 ^ (s1 >> 17) ^ (s0 >> 26)) + s0;
        return s[1];
    }
};

// Random123's Threefry with 20 rounds, the counter counting blocks from 1.
template <class Cbrng>
struct Fry {
    using Ctr = typename Cbrng::ctr_type;
    using W = typename Ctr::value_type;
    static constexpr unsigned N = Ctr::static_size;
    Ctr ctr{};
    typename Cbrng::key_type key{};
    Ctr blk{};
    unsigned lane = 0;
    W operator()()
    {
        if (lane == 0) blk = Cbrng()(ctr, key);
        const W x = blk.v[lane];
        if (++lane == N) {
            lane = 0;
            ctr.incr();
        }
        return x;
    }
};

template <class Cbrng>
Peer fry(const Ops& o, const std::vector<std::string>& extra = {})
{
    using P = Fry<Cbrng>;
    using W = typename P::W;
    constexpr unsigned N = P::N;
    auto mix = [](W x) { return sizeof(W) == 4 ? W(fmix32(uint32_t(x))) : W(fmix64(x)); };
    P p;
    const W s = static_cast<W>(o.seed);
    p.key.v[0] = s;
    for (unsigned i = 1; i < N; ++i) p.key.v[i] = mix(static_cast<W>(s + i));
    p.ctr.v[0] = 1;
    const W t = static_cast<W>(o.thread), k = static_cast<W>(o.key);
    if (t != 0) {
        if (N == 2) p.ctr.v[1] = mix(t);
        else p.key.v[2] ^= mix(t);
    }
    if (k != 0) p.key.v[1] ^= mix(k);
    for (const std::string& e : extra) { // c= count, i= counter words
        if (e.rfind("c64=", 0) == 0 || e.rfind("c32=", 0) == 0) {
            const uint64_t n = std::stoull(e.substr(4), nullptr, 0);
            p.ctr.v[0] = static_cast<W>(n / N);
            p.lane = static_cast<unsigned>(n % N);
            if (p.lane != 0) p.blk = Cbrng()(p.ctr, p.key);
        } else if (e.rfind("i=", 0) == 0) {
            for (unsigned i = 0; i < N; ++i)
                p.ctr.v[i] = static_cast<W>(std::stoull(e.substr(2 + i * (2 * sizeof(W) + 1), 2 * sizeof(W)), nullptr, 16));
        }
    }
    return {sizeof(W) * 8, [p]() mutable { return uint64_t{p()}; }};
}
using Fry2x32 = r123::Threefry2x32_R<20>;
using Fry2x64 = r123::Threefry2x64_R<20>;
using Fry4x64 = r123::Threefry4x64_R<20>;

// ---- output --------------------------------------------------------------------
std::string hexWord(uint64_t v, int bits)
{
    char b[24];
    std::snprintf(b, sizeof b, "%0*" PRIx64, bits > 32 ? 16 : 8, v);
    return b;
}
std::string hexDouble(double d)
{
    char b[40];
    std::snprintf(b, sizeof b, "%a", d);
    return b;
}

// One value of a conversion from the peer's native outputs.
std::string convert(Peer& p, const std::string& conv)
{
    const bool wide = p.bits > 32;
    if (conv == "u64") return hexWord(wide ? p.next() : (p.next() << 32 | p.next()), 64);
    if (conv == "u32") return hexWord(wide ? p.next() >> 32 : p.next(), 32);
    if (conv == "crude") return hexDouble(static_cast<double>(p.next()) * std::bit_cast<double>(0x3DEFFFFFFFFFFFFFull));
    // open: 0 is rejected, and at 64 bits the values that round to 1
    for (;;) {
        const uint64_t u = p.next();
        if (!wide && u != 0) return hexDouble(static_cast<double>(u) * 0x1p-32);
        if (wide && u != 0 && u < 0xFFFFFFFFFFFFFC00ull) return hexDouble(static_cast<double>(u) * 0x1p-64);
    }
}

void row(const std::string& engine, const std::string& ops, const std::string& conv, Peer p, int n = 6,
         int skip = 0)
{
    for (int i = 0; i < skip; ++i) convert(p, conv);
    std::string line = engine + " " + ops + " " + conv + (skip ? "+" + std::to_string(skip) : "");
    if (conv == "u32" && p.bits <= 32) n = 8;
    for (int i = 0; i < n; ++i) line += " " + convert(p, conv);
    std::puts(line.c_str());
}

std::string streamOps(const Ops& o)
{
    char b[96];
    std::snprintf(b, sizeof b, "S=%" PRIu64 ",K=%" PRIu64 ",T=%" PRIu64, o.seed, o.key, o.thread);
    return b;
}

} // namespace

int main()
{
    struct Engine {
        const char* name;
        int bits;
        int subs; // 0: no key or thread, 1: both, 2: the thread folded into the key
        Make make;
    };
    const auto fold = [](const Ops& o, int bits) {
        return bits > 32 ? (o.key << 43 | o.thread) : static_cast<uint32_t>(o.key << 21 | o.thread);
    };
    const std::vector<Engine> engines = {
        {"MT1998", 32, 1, [](const Ops& o) { return mt32(uint32_t(o.seed), true, o.key, o.thread); }},
        {"MT32", 32, 1, [](const Ops& o) { return mt32(uint32_t(o.seed), false, o.key, o.thread); }},
        {"MTHYBRID", 32, 1,
         [](const Ops& o) { return mt32(uint32_t(o.seed), (o.seed & 0x1FFF) != 0, o.key, o.thread); }},
        {"MT64", 64, 1, mt64},
        {"MH3", 64, 0, [](const Ops& o) { return Peer{64, [x = o.seed]() mutable { return x = fmix64(x); }}; }},
        {"XOR64", 64, 0, [](const Ops& o) { return shared(vxref::RefXorshift64Star{o.seed}); }},
        {"XOR128", 64, 0, [](const Ops& o) { return filled<Xor128Sum>(o.seed); }},
        {"XOR1024", 64, 0, [](const Ops& o) { return filled<vxref::RefXorshift1024Star>(o.seed); }},
        {"XOR4096", 64, 0, [](const Ops& o) { return filled<vxref::RefXorshift4096Star>(o.seed); }},
        {"XORGENS", 64, 0, [](const Ops& o) { return shared(vxref::RefXorgens(o.seed)); }},
        {"FRY2X32", 32, 1, [](const Ops& o) { return fry<Fry2x32>(o); }},
        {"FRY2X64", 64, 1, [](const Ops& o) { return fry<Fry2x64>(o); }},
        {"FRY4X64", 64, 1, [](const Ops& o) { return fry<Fry4x64>(o); }},
        {"PCG32I", 32, 2,
         [fold](const Ops& o) { return shared<32>(pcg_engines::setseq_rxs_m_xs_32_32(uint32_t(o.seed), fold(o, 32))); }},
        {"PCG64I", 64, 2, [fold](const Ops& o) { return shared(pcg_engines::setseq_rxs_m_xs_64_64(o.seed, fold(o, 64))); }},
        {"SUBKEY32", 32, 2,
         [fold](const Ops& o) {
             return Peer{32, [x = uint32_t(o.seed), k = uint32_t(fold(o, 32))]() mutable { return uint64_t{x -= k}; }};
         }},
        {"SUBKEY64", 64, 2,
         [fold](const Ops& o) { return Peer{64, [x = o.seed, k = fold(o, 64)]() mutable { return x -= k; }}; }},
    };

    std::puts("# Known answers of the engines, written by tests/kat_peers.cpp from the published");
    std::puts("# generators.  ENGINE OPS CONVERSION VALUES; see that file for the notation.");
    for (const Engine& g : engines) {
        const bool keyed = g.subs != 0;
        std::vector<Ops> cases = {{1, 0, 0}, {5489, 0, 0}, {0x0123456789ABCDEFull, 0, 0}};
        if (keyed)
            for (Ops o : std::vector<Ops>{{5489, 5, 0}, {5489, 0, 7}, {20240611, 0xC0FFEE, 3}, {77, 1023, 0x1FFFFF}})
                cases.push_back(o);
        if (std::string(g.name) == "MTHYBRID")
            for (uint64_t s : {8192ull, 8193ull, 4096ull, 0x12340000ull}) cases.push_back({s, 0, 0});
        const bool subkey = std::string(g.name).rfind("SUBKEY", 0) == 0;
        if (subkey) // a constant stream without a key
            for (Ops& o : cases)
                if (o.key == 0) o.key = 1000;
        const std::string native = g.bits > 32 ? "u64" : "u32";
        for (const Ops& o : cases) {
            Ops use = o;
            if (g.bits <= 32) use.seed &= 0xFFFFFFFFu;
            row(g.name, streamOps(o), native, g.make(use));
            row(g.name, streamOps(o), "open", g.make(use));
        }
        const Ops use{5489, subkey ? 1000u : 0u, 0};
        row(g.name, streamOps(use), g.bits > 32 ? "u32" : "u64", g.make(use));
        row(g.name, streamOps(use), native, g.make(use), 4, 20000); // past many refills and index wraps
        if (std::string(g.name).rfind("MT", 0) == 0 && g.bits == 32) row(g.name, streamOps(use), "crude", g.make(use));
    }

    // Descriptor calls the stream does not make: the other width, counts and
    // counter carries.
    row("MT32", "s64=0x0000000700000003", "u32", mt32(4, false, 0, 0));
    row("MT1998", "s32=4357", "u32", mt32(4357, true, 0, 0));
    row("MTHYBRID", "s64=0x0000000500000007", "u32", mt32(2, true, 0, 0));
    row("MT64", "s32=5489,t32=13,k32=12", "u64", mt64({5489, 12, 13}));
    row("PCG64I", "s32=0xFFFFFFFF,k32=9", "u64", shared(pcg_engines::setseq_rxs_m_xs_64_64(0xFFFFFFFFull, 9)));
    row("PCG32I", "s64=0x0000000700000003", "u32", shared<32>(pcg_engines::setseq_rxs_m_xs_32_32(4u, 0u)));
    using Lehmer = std::linear_congruential_engine<uint64_t, 397204094, 0, 2147483647>;
    for (uint64_t s : {1ull, 0x7FFFFFFEull, 0xFFFFFFFFull})
        row("TORVEL", "s32=" + std::to_string(s), "u32", shared<31>(Lehmer(s % 2147483647u)), 8, 0);
    for (const char* c : {"c32=0", "c32=1", "c32=4294967295", "c32=4294967294", "c32=24691"})
        row("FRY2X32", std::string("s32=77,t32=3,") + c, "u32", fry<Fry2x32>({77, 0, 3}, {c}));
    for (const char* c : {"c64=0", "c64=3", "c64=4294967296", "c64=18446744073709551615", "c64=24691"}) {
        row("FRY2X64", std::string("s64=77,t64=3,") + c, "u64", fry<Fry2x64>({77, 0, 3}, {c}));
        row("FRY4X64", std::string("s64=77,t64=3,") + c, "u64", fry<Fry4x64>({77, 0, 3}, {c}));
    }
    const std::string top32 = "i=fffffffd:00001111", top64 = "fffffffffffffffd";
    row("FRY2X32", "s32=9,t32=7," + top32, "u32", fry<Fry2x32>({9, 0, 7}, {top32}));
    row("FRY2X32", "s32=9,i=ffffffff:ffffffff", "u32", fry<Fry2x32>({9, 0, 0}, {"i=ffffffff:ffffffff"}));
    const std::string i2 = "i=" + top64 + ":0000000000001111";
    row("FRY2X64", "s64=9,k64=5," + i2, "u64", fry<Fry2x64>({9, 5, 0}, {i2}));
    const std::string i4 = "i=ffffffffffffffff:ffffffffffffffff:ffffffffffffffff:0000000000000005";
    row("FRY4X64", "s64=42,t64=7," + i4, "u64", fry<Fry4x64>({42, 0, 7}, {i4}));
    return 0;
}
