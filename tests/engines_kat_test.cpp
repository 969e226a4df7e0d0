// Every engine against tests/data/engines.kat, whose rows the published
// generators wrote (tests/kat_peers.cpp): through a stream made by
// zrand_init, or through the descriptor's own entries.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "subs/zrand.h"
#include "support/host_fixture.h"

namespace {

std::string hexWord(uint64_t v, bool wide)
{
    char b[24];
    std::snprintf(b, sizeof b, wide ? "%016" PRIx64 : "%08" PRIx64, v);
    return b;
}
std::string hexDouble(double d)
{
    char b[40];
    std::snprintf(b, sizeof b, "%a", d);
    return b;
}

uint64_t number(const std::string& s) { return std::stoull(s, nullptr, 0); }

class EnginesKat : public vxtest::HostFixture {};

TEST_F(EnginesKat, EveryRowOfTheFile)
{
    std::ifstream in(VXALEA_SOURCE_DIR "/tests/data/engines.kat");
    ASSERT_TRUE(in) << "tests/data/engines.kat";
    int lineNo = 0, rows = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        if (line.empty() || line[0] == '#') continue;
        ++rows;
        std::istringstream ss(line);
        std::string engine, ops, conv;
        ss >> engine >> ops >> conv;
        std::vector<std::string> want;
        for (std::string v; ss >> v;) want.push_back(v);
        SCOPED_TRACE("engines.kat:" + std::to_string(lineNo) + ": " + engine + " " + ops + " " + conv);

        auto q = std::make_unique<MERSENNE_RAND>();
        ZRNG_S& f = q->rng;
        void* blob = &q->mt;
        double (*open)(void*) = nullptr;
        if (ops.rfind("S=", 0) == 0) {
            uint64_t s = 0, k = 0, t = 0;
            ASSERT_EQ(std::sscanf(ops.c_str(), "S=%" SCNu64 ",K=%" SCNu64 ",T=%" SCNu64, &s, &k, &t), 3);
            q->UserMethod = engine.data();
            q->Seed = s;
            q->Key = k;
            q->Thread = t;
            zmrsrnd(q.get());
            ASSERT_STREQ(f.zrng_name, engine.c_str());
            blob = q->Blob;
            open = q->rangen;
        } else {
            if (engine == "TORVEL") zrnfTORVEL(&f, 0); // not selectable by name
            else ASSERT_EQ(zrngmeth(engine.data(), -1, &f, 0), 0);
            open = f.zrng_double_open;
            std::istringstream calls(ops);
            for (std::string op; std::getline(calls, op, ',');) {
                const std::string name = op.substr(0, op.find('=')), arg = op.substr(op.find('=') + 1);
                if (name == "i") { // counter words, colon separated, at the engine's width
                    std::vector<uint8_t> bytes;
                    std::istringstream words(arg);
                    for (std::string w; std::getline(words, w, ':');)
                        for (size_t b = 0; b < w.size() / 2; ++b)
                            bytes.push_back(static_cast<uint8_t>(number("0x" + w.substr(w.size() - 2 * b - 2, 2))));
                    ASSERT_GT(f.zrng_state(blob, bytes.data(), static_cast<int>(bytes.size()), 0), 0);
                    continue;
                }
                const uint64_t x = number(arg);
                const auto x32 = static_cast<uint32_t>(x);
                if (name == "s32") f.zrng_seed_32(blob, x32);
                else if (name == "s64") f.zrng_seed_64(blob, x);
                else if (name == "k32") f.zrng_key_32(blob, x32);
                else if (name == "k64") f.zrng_key_64(blob, x);
                else if (name == "t32") f.zrng_thread_32(blob, x32);
                else if (name == "t64") f.zrng_thread_64(blob, x);
                else if (name == "c32") f.zrng_count_32(blob, x32);
                else if (name == "c64") f.zrng_count_64(blob, x);
                else FAIL() << "unknown call " << op;
            }
        }

        int skip = 0;
        if (const size_t plus = conv.find('+'); plus != std::string::npos) {
            skip = std::stoi(conv.substr(plus + 1));
            conv.resize(plus);
        }
        auto next = [&]() -> std::string {
            if (conv == "u32") return hexWord(f.zrng_uint32(blob), false);
            if (conv == "u64") return hexWord(f.zrng_uint64(blob), true);
            if (conv == "crude") return hexDouble(f.zrng_double_crude(blob));
            return hexDouble(open(blob));
        };
        ASSERT_TRUE(conv == "u32" || conv == "u64" || conv == "open" || conv == "crude") << conv;
        for (int i = 0; i < skip; ++i) next();
        std::vector<std::string> got;
        for (size_t i = 0; i < want.size(); ++i) got.push_back(next());
        EXPECT_EQ(got, want);
    }
    EXPECT_GT(rows, 200);
}

} // namespace
