// Method selection: every name and alias in any case and with blanks around
// it, 8-bit and VXChar names, the 16-character limit, the registry default
// and the MTHYBRID fallback.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "subs/zrng.h"
#include "subs/zrngmsg.h"
#include "support/host_fixture.h"

namespace {

using Setup = void (*)(zrngptr, uint64_t);

constexpr VXStatus kBadMethod = ZRNG_S_BAD_METHOD;
constexpr VXStatus kNoEngine = ZRNG_S_NO_ENGINE;

ZRNG_S direct(Setup setup)
{
    ZRNG_S d;
    std::memset(&d, 0, sizeof d);
    setup(&d, 0);
    return d;
}

// Same engine: the descriptor its own set-up function writes, byte for byte.
::testing::AssertionResult sameEngine(const ZRNG_S& got, const ZRNG_S& want)
{
    if (std::memcmp(&got, &want, sizeof got) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "engine " << got.zrng_name << ", wanted " << want.zrng_name;
}

VXStatus select8(const std::string& name, ZRNG_S& d, int length = -1)
{
    std::vector<char> buf(name.begin(), name.end());
    buf.push_back('\0');
    return zrngmeth(buf.data(), length, &d, 0);
}

VXStatus selectVx(const std::string& name, ZRNG_S& d, int length = -1)
{
    vxtest::VxText t(name);
    return zrngmeth(reinterpret_cast<char*>(t.data()), length, &d, 0x1);
}

class MethodSelection : public vxtest::HostFixture {
protected:
    void SetUp() override
    {
        // Notes and above: zrngmeth itself must stay silent even then.
        setText("OSENV.QOR_RNG_MESSAGES", "NOTE");
    }
};

// ---- the table ------------------------------------------------------------------
struct Row {
    std::vector<const char*> names; // the engine's name and its aliases
    Setup engine;
    VXStatus final; // 0, or ZRNG_S_NO_ENGINE for the engines that never run here
};

std::ostream& operator<<(std::ostream& os, const Row& r) { return os << r.names[0]; }

const Row kRows[] = {
    {{"MTHYBRID"}, zrnfMTHYBRID, 0},
    {{"MT1998"}, zrnfMT1998, 0},
    {{"MT32", "MT2002"}, zrnfMT32, 0},
    {{"MT64", "MT"}, zrnfMT64, 0},
    {{"MH3"}, zrnfMH3, 0},
    {{"PCG32I"}, zrnfPCG32I, 0},
    {{"PCG64I", "PCG"}, zrnfPCG64I, 0},
    {{"RDRAND", "HARDWARE", "HARD", "TRNG", "TORVEL"}, zrnfMTHYBRID, kNoEngine},
    {{"FRY2X32", "THREEFRY2X32"}, zrnfFRY2X32, 0},
    {{"FRY2X64", "THREEFRY2X64", "TF2"}, zrnfFRY2X64, 0},
    {{"FRY4X64", "THREEFRY4X64", "THREEFRY", "TF4", "TF"}, zrnfFRY4X64, 0},
    {{"XOR64"}, zrnfXOR64, 0},
    {{"XOR128"}, zrnfXOR128, 0},
    {{"XOR1024"}, zrnfXOR1024, 0},
    {{"XOR4096"}, zrnfXOR4096, 0},
    {{"XORGENS"}, zrnfXORGENS, 0},
    {{"SUBKEY32"}, zrnfSUBKEY32, 0},
    {{"SUBKEY64"}, zrnfSUBKEY64, 0},
};

std::string lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string alternate(std::string s)
{
    for (size_t i = 0; i < s.size(); i += 2)
        s[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    return s;
}

class MethodTable : public ::testing::TestWithParam<Row>, public vxtest::TestHost {};

TEST_P(MethodTable, EveryFormOfEveryNameSelectsItsEngine)
{
    const Row& row = GetParam();
    const VXStatus status = row.final;
    const ZRNG_S expected = direct(row.engine);
    for (const std::string n : row.names) {
        // Built with append: g++ 12 warns falsely (-Wrestrict) on operator+ here.
        std::string padded(2, ' ');
        padded.append(n).append(3, ' ');
        std::string led(1, ' ');
        led.append(lower(n));
        for (const std::string& form : {n, lower(n), alternate(n), padded, led}) {
            ZRNG_S d{};
            EXPECT_EQ(select8(form, d), status) << "'" << form << "'";
            EXPECT_TRUE(sameEngine(d, expected)) << "'" << form << "'";
            ZRNG_S v{};
            EXPECT_EQ(selectVx(form, v), status) << "VXChar '" << form << "'";
            EXPECT_TRUE(sameEngine(v, expected)) << "VXChar '" << form << "'";
        }
        // An explicit length counts characters, trailing text beyond it ignored.
        ZRNG_S d{};
        std::string longer = n;
        longer.append("XYZ");
        EXPECT_EQ(select8(longer, d, static_cast<int>(n.size())), status) << n;
        EXPECT_TRUE(sameEngine(d, expected)) << n;
    }
    EXPECT_EQ(journalCount(), 0u) << journalDump();
}

INSTANTIATE_TEST_SUITE_P(AllNames, MethodTable, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.names[0]); });

// ---- names that are not accepted --------------------------------------------------
TEST_F(MethodSelection, RejectedNamesAndMissingEnginesInstallMthybrid)
{
    const ZRNG_S hybrid = direct(zrnfMTHYBRID);
    const char* rejected[] = {
        "mt 64",             // inner blank
        "\tmt64",            // only U+0020 is a blank
        "mt64\t",
        "MTHYBRIDMTHYBRID",  // 16 characters
        "MTHYBRIDMTHYBRI",   // 15, but no such name
        "ABC", "1MT64", "QMT64", "MT64X", "M", "TF3",
        "MT64           X",  // sixteen units after trimming, though the first four match
    };
    for (const char* name : rejected) { // a filled descriptor is rewritten completely
        ZRNG_S d = direct(zrnfMT64), v = direct(zrnfMT64);
        EXPECT_EQ(select8(name, d), kBadMethod) << "'" << name << "'";
        EXPECT_TRUE(sameEngine(d, hybrid)) << "'" << name << "'";
        EXPECT_EQ(selectVx(name, v), kBadMethod) << "VXChar '" << name << "'";
        EXPECT_TRUE(sameEngine(v, hybrid)) << "VXChar '" << name << "'";
    }
    // A letter beyond ASCII is transcoded, and matches nothing.
    ZRNG_S d = direct(zrnfMT64);
    EXPECT_EQ(select8("MT64\xC3\xA9", d), kBadMethod);
    EXPECT_TRUE(sameEngine(d, hybrid));
    d = direct(zrnfMT64);
    EXPECT_EQ(select8("TORVEL", d), kNoEngine);
    EXPECT_TRUE(sameEngine(d, hybrid));
    // The limit applies after trimming: sixteen bytes that trim to four pass.
    EXPECT_EQ(select8("      mt64      ", d), 0);
    EXPECT_STREQ(d.zrng_name, "MT64");
    EXPECT_EQ(selectVx("      mt64      ", d), 0);
    EXPECT_STREQ(d.zrng_name, "MT64");
    EXPECT_EQ(select8("MT64           X", d, 4), 0);
    char name[] = "MT64"; // a null descriptor is ignored
    EXPECT_EQ(zrngmeth(name, -1, nullptr, 0), 0);
    EXPECT_EQ(zrngmeth(nullptr, 5, nullptr, 1), 0);
    EXPECT_EQ(journalCount(), 0u) << journalDump();
}

// ---- the registry default --------------------------------------------------------------
// An absent, empty or all-blank name, or length 0, reads the registry, whose value is not trimmed.
TEST_F(MethodSelection, NoNameReadsTheRegistryUntrimmed)
{
    const struct {
        const char* registry; // nullptr: not set
        const char* name;     // nullptr: no name
        int length;
        VXStatus status;
        const char* engine;
    } rows[] = {
        {nullptr, nullptr, 7, 0, "MTHYBRID"}, // nothing in the registry is no failure
        {"", "", -1, 0, "MTHYBRID"},
        {"mt1998", nullptr, -1, 0, "MT1998"},
        {"mt1998", "    ", -1, 0, "MT1998"},
        {"mt1998", "MT64", 0, 0, "MT1998"},
        {"mt1998", "mt64", -1, 0, "MT64"}, // a name given wins
        {"pcg", nullptr, 0, 0, "PCG64I"},
        {" MT64", nullptr, 0, kBadMethod, "MTHYBRID"},
        {"MT64 ", nullptr, 0, kBadMethod, "MTHYBRID"},
        {"MT 64", nullptr, 0, kBadMethod, "MTHYBRID"},
        {"MTHYBRIDXXXXXXXXX", nullptr, 0, kBadMethod, "MTHYBRID"},
        {"TORVEL", nullptr, 0, kNoEngine, "MTHYBRID"},
    };
    for (const auto& r : rows) {
        if (r.registry) setText("OSENV.QOR_RNG_METHOD", r.registry);
        ZRNG_S d = direct(zrnfXOR64);
        const VXStatus got = r.name ? select8(r.name, d, r.length) : zrngmeth(nullptr, r.length, &d, 0);
        const std::string row = std::string(r.registry ? r.registry : "(unset)") + " / " + (r.name ? r.name : "(none)");
        EXPECT_EQ(got, r.status) << row;
        EXPECT_STREQ(d.zrng_name, r.engine) << row;
    }
    setText("OSENV.QOR_RNG_METHOD", "mt1998");
    ZRNG_S d = direct(zrnfXOR64);
    EXPECT_EQ(selectVx("", d), 0);
    EXPECT_STREQ(d.zrng_name, "MT1998");
    EXPECT_EQ(journalCount(), 0u) << journalDump();
}

} // namespace
