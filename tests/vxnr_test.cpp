// Registry access through a real host: trace, fallbacks, integer grammar, keywords, counters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/vxhost_api.h"
#include "subs/vxcasemap.h"
#include "subs/vxnr.h"
#include "subs/zrngmsg.h"
#include "support/host_fixture.h"

namespace {

using vxtest::JournalEntry;
using vxtest::status;
using vxtest::VxText;

constexpr QORLONG kTwo53 = 9007199254740992LL;
constexpr VXStatus kFail = VXHOST_STATUS_BAD_SIZE;            /* any host failure but "absent" */
constexpr VXStatus kJournalFail = VXHOST_STATUS_JOURNAL_FAILED;
constexpr VXStatus kWrongKind = VX_STATUS_WRONG_KIND;

JournalEntry trace(std::string text) { return {VXSeverityNone, 0, std::move(text)}; }
JournalEntry error(std::string text) { return {VXSeverityError, 0, std::move(text)}; }

std::string g20(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%20g", v);
    return buf;
}

std::string hex(VXStatus s)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(s));
    return buf;
}

class Registry : public vxtest::HostFixture {
public:
    vxtest::RegistrySpy spy{handle()};
    void debug() { setText("OSENV.QOR_VXNR_DEBUG", "1"); }
    std::string entry(const std::string& name) const
    {
        return exists(name) ? std::to_string(kind(name)) + ":" + text(name) : "<absent>";
    }
    /* A setter's status and then what it left in the registry. */
    std::string stored(VXStatus s, const std::string& name) const { return hex(s) + " " + entry(name); }
};

using Call = std::function<std::string(Registry&)>;
using Prepare = std::function<void(Registry&)>;

/* vxnrtget into `capacity` units and four guard cells, all 'Z' before the
 * call: the length, the text up to its terminator, any guard written. */
std::string tget(const char* name, int name_l, int capacity)
{
    VxText n(name);
    const size_t cap = capacity > 0 ? static_cast<size_t>(capacity) : 0;
    std::vector<VXChar> buf(cap + 4, 'Z');
    int len = vxnrtget(n, name_l, buf.data(), capacity);
    const size_t end = static_cast<size_t>(std::find(buf.begin(), buf.begin() + cap, 0u) - buf.begin());
    std::string r = std::to_string(len) + ":" + (end ? vxtest::toUtf8(buf.data(), static_cast<int>(end)) : "");
    return std::count(buf.begin() + cap, buf.end(), 'Z') == 4 ? r : r + " past the buffer";
}

std::string cget(const char* name, int capacity)
{
    VxText n(name);
    char buf[32] = "ZZZ";
    int len = vxnrcget(n, 0, buf, capacity);
    return std::to_string(len) + ":" + buf;
}

std::string lget(const char* name, QORLONG def, int name_l = 0)
{
    VxText n(name);
    return std::to_string(vxnrlget(n, name_l, def));
}

std::string dget(const char* name, double def)
{
    VxText n(name);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", vxnrdget(n, 0, def));
    return buf;
}

// ---- the debug trace ------------------------------------------------------------------

struct Case {
    const char* what;
    Prepare prepare;
    Call call;
    std::string result;
    std::vector<JournalEntry> lines;      /* traces: with the debug switch on */
    std::vector<JournalEntry> quiet = {}; /* traces: with it off */
};

std::vector<Case> traceCases()
{
    const std::string unreadable =
        "vxNameValueGet failed for C in vxnrlimit. The existing value may not be a VXChar string or QORLONG.";
    auto look = [](const char* name) {
        VxText n(name);
        return std::to_string(vxnrlook(n, 0, -1, VXT("ERROR"), 4, VXT("WARN"), 3, static_cast<VXChar*>(nullptr)));
    };
    auto limit = [](QORLONG l) {
        VxText n("C");
        return std::to_string(vxnrlimit(n, 0, l));
    };
    return {
        {"text", [](Registry& t) { t.setText("T", "abc"); }, [](Registry&) { return tget("T", 0, 16); },
         "3:abc", {trace("vxnrtget(T)='abc'")}},
        {"absent text", nullptr, [](Registry&) { return tget("T", 0, 16); }, "0:", {trace("vxnrtget(T)=''")}},
        {"8-bit text", [](Registry& t) { t.setText("T", "abc"); }, [](Registry&) { return cget("T", 16); },
         "3:abc", {trace("vxnrcget(T)='abc'")}},
        {"8-bit text into one byte", [](Registry& t) { t.setText("T", "abc"); }, [](Registry&) { return cget("T", 1); },
         "0:", {trace("vxnrcget(T)=''")}},
        {"integer", [](Registry& t) { t.setLong("L", 42); }, [](Registry&) { return lget("L", 0); }, "42",
         {trace("vxnrlget(L)=42")}},
        {"integer absent", nullptr, [](Registry&) { return lget("L", -3); }, "-3", {trace("vxnrlget(L)=-3")}},
        {"integer from text", [](Registry& t) { t.setText("L", " 17"); }, [](Registry&) { return lget("L", 0); },
         "17", {status(VXSeverityError, kWrongKind), trace("vxnrtget(L)=' 17'"), trace("vxnrlget(L)=17")}},
        {"double", [](Registry& t) { t.setDouble("D", 2.5); }, [](Registry&) { return dget("D", 0); }, "2.5",
         {trace("vxnrdget(D)=" + g20(2.5))}},
        {"keyword", [](Registry& t) { t.setText("K", "warn "); }, [look](Registry&) { return look("K"); }, "3",
         {trace("vxnrtget(K)='warn '"), trace("vxnrlook(K) 'WARN' != 'ERROR' 4"),
          trace("vxnrlook(K) 'WARN' == 'WARN' 3"), trace("vxnrlook(K)=3 'WARN'")}},
        {"no keyword", [](Registry& t) { t.setText("K", "x"); }, [look](Registry&) { return look("K"); }, "-1",
         {trace("vxnrtget(K)='x'"), trace("vxnrlook(K) 'X' != 'ERROR' 4"), trace("vxnrlook(K) 'X' != 'WARN' 3"),
          status(VXSeverityError, VXNR_M_NOT_KEYWORD, 1, VXT("X"), 1, VXT("K")), trace("vxnrlook(K)=-1 'X'")},
         {status(VXSeverityError, VXNR_M_NOT_KEYWORD, 1, VXT("X"), 1, VXT("K"))}},
        {"limit counting", [](Registry& t) { t.setLong("C", 5); }, [limit](Registry&) { return limit(100); }, "4",
         {trace("vxnrlget(C)=5"), trace("vxnrlset(C)=4"), trace("vxnrlimit(C)=4")}},
        {"limit reached", [](Registry& t) { t.setLong("C", 1); }, [limit](Registry&) { return limit(100); }, "0",
         {trace("vxnrlget(C)=1"), status(VXSeverityNote, VXNR_M_LIMIT_REACHED, 1, VXT("C")),
          trace("vxnrlset(C)=0"), trace("vxnrlimit(C)=0")},
         {status(VXSeverityNote, VXNR_M_LIMIT_REACHED, 1, VXT("C"))}},
        {"limit unreadable", [](Registry& t) { t.setText("C", "abc"); }, [limit](Registry&) { return limit(100); },
         "99",
         {status(VXSeverityError, kWrongKind), trace("vxnrtget(C)='abc'"),
          status(VXSeverityError, VXNR_M_NOT_INTEGER, 3, VXT("abc"), 1, VXT("C"), -kTwo53, kTwo53),
          trace("vxnrlget(C)=-666"), error(unreadable), trace("vxnrlset(C)=99"), trace("vxnrlimit(C)=99")},
         {status(VXSeverityError, VXNR_M_NOT_INTEGER, 3, VXT("abc"), 1, VXT("C"), -kTwo53, kTwo53)}},
        {"set integer", nullptr, [](Registry& t) { VxText n("L"); return t.stored(vxnrlset(n, 0, -7), "L"); },
         "0 3:-7", {trace("vxnrlset(L)=-7")}},
        {"set integer as text", [](Registry& t) { t.spy.failSet[VXNameQORLong] = kWrongKind; },
         [](Registry& t) { VxText n("L"); return t.stored(vxnrlset(n, 0, -7), "L"); },
         "0 4:-7", {trace("vxnrlset(L)=-7"), status(VXSeverityError, kWrongKind), trace("vxnrlset(L)='-7'")}},
        {"set text, untraced", nullptr,
         [](Registry& t) { VxText n("T"), v("v"); return t.stored(vxnrtset(n, 0, v, 0), "T"); }, "0 4:v", {}},
        {"set double, untraced", nullptr,
         [](Registry& t) { VxText d("D"); return t.stored(vxnrdset(d, 0, 0.5), "D"); }, "0 2:0.5", {}},
    };
}

/* Each function, the untraced setters too, first asks whether the debug
 * entry exists (a host may watch for it). */
TEST_F(Registry, EveryFunctionTracesOnlyWhileTheDebugEntryExists)
{
    for (bool on : {false, true}) {
        for (const Case& c : traceCases()) {
            SCOPED_TRACE(std::string(c.what) + (on ? ", debug on" : ", debug off"));
            for (const char* name : {"T", "L", "K", "C", "D", "OSENV.QOR_VXNR_DEBUG"}) remove(name);
            if (on) {
                debug();
            } else {
                /* Only the exact name switches the trace on. */
                setText("OSENV.QOR_VXNR_DEBUGX", "1");
                setText("osenv.qor_vxnr_debug", "1");
            }
            spy.reset();
            if (c.prepare) c.prepare(*this);
            clearJournal();
            EXPECT_EQ(c.call(*this), c.result);
            EXPECT_EQ(journal(), on ? c.lines : c.quiet) << journalDump();
            ASSERT_FALSE(spy.calls.empty());
            EXPECT_EQ(spy.calls[0], (vxtest::RegistrySpy::Call{'e', "OSENV.QOR_VXNR_DEBUG", 20}));
        }
    }
}

// ---- fallbacks ---------------------------------------------------------------------------

std::vector<Case> fallbackCases()
{
    auto failRegistry = [](VXStatus s) { return [s](Registry& t) { vxhost_registry_fail(t.host(), s); }; };
    auto failed = [](const char* op, const char* name, const char* fn) {
        return error(std::string(op) + " failed for " + name + " in " + fn);
    };
    const JournalEntry failStatus = status(VXSeverityError, kFail);
    const JournalEntry wrongKind = status(VXSeverityError, kWrongKind);
    return {
        // vxnrtget
        {"text of an integer", [](Registry& t) { t.setLong("T", -42); }, [](Registry&) { return tget("T", 0, 16); },
         "3:-42", {}},
        {"text cut to the buffer", [](Registry& t) { t.setText("T", "abcdef"); },
         [](Registry&) { return tget("T", 0, 3); }, "2:ab", {}},
        {"text into one unit", [](Registry& t) { t.setText("T", "abcdef"); },
         [](Registry&) { return tget("T", 0, 1); }, "0:", {}},
        {"text into no buffer", [](Registry& t) { t.setText("T", "abcdef"); },
         [](Registry&) { return tget("T", 0, 0) + tget("T", 0, -5); }, "0:0:", {}},
        /* This host reports what it copied; one that reports a cut text's whole
         * size must not make the module read or write past the caller's buffer. */
        {"text longer than, as long as and one shorter than the buffer, whole size reported",
         [](Registry& t) { t.setText("T", "abcde"), t.spy.wholeTextSize = true; },
         [](Registry&) { return tget("T", 0, 4) + " " + tget("T", 0, 5) + " " + tget("T", 0, 6); },
         "3:abc 4:abcd 5:abcde", {}},
        {"text, registry fails", failRegistry(kFail), [](Registry&) { return tget("T", 0, 16); }, "0:",
         {failed("vxNameValueGet", "T", "vxnrtget"), failStatus}},
        {"text, registry and journal fail",
         [](Registry& t) {
             vxhost_registry_fail(t.host(), kFail);
             vxhost_journal_fail(t.host(), kJournalFail, 1);
         },
         [](Registry&) { return tget("T", 0, 16); }, "0:", {status(VXSeverityError, kJournalFail), failStatus}},
        // vxnrcget: the host's module-text encoding is UTF-8
        {"8-bit text cut before a whole character", [](Registry& t) { t.setText("T", "é€x"); },
         [](Registry&) { return cget("T", 3) + " " + cget("T", 6) + " " + cget("T", 7); },
         "2:é 5:é€ 6:é€x", {}},
        {"8-bit text longer than any keyword", [](Registry& t) { t.setText("T", std::string(600, 'a') + "\u00E9Z"); },
         [](Registry&) {
             VxText n("T");
             std::string buf(1000, 'Z');
             const int len = vxnrcget(n, 0, buf.data(), 1000);
             std::string tail = buf.substr(len < 5 ? 0 : static_cast<size_t>(len - 5), 6);
             return std::to_string(len) + ":" + tail.c_str();
         },
         "603:aa\u00E9Z", {}},
        {"8-bit text, registry fails", failRegistry(kFail), [](Registry&) { return cget("T", 16); }, "0:",
         {failed("vxNameValueGet", "T", "vxnrcget"), failStatus}},
        // vxnrlget
        {"integer of a whole double", [](Registry& t) { t.setDouble("L", 17.0); },
         [](Registry&) { return lget("L", 77); }, "17", {}},
        {"integer of a fractional double", [](Registry& t) { t.setDouble("L", 2.5); },
         [](Registry&) { return lget("L", 77); }, "77",
         {status(VXSeverityError, VXNR_M_NOT_INTEGER, 3, VXT("2.5"), 1, VXT("L"), -kTwo53, kTwo53)}},
        {"integer of a text, read to 99 units", [](Registry& t) { t.setText("L", std::string(98, ' ') + "17"); },
         [](Registry&) { return lget("L", 77); }, "1", {}},
        {"integer of a word", [](Registry& t) { t.setText("Long", "many"); },
         [](Registry&) { return lget("Long", 77); }, "77",
         {status(VXSeverityError, VXNR_M_NOT_INTEGER, 4, VXT("many"), 4, VXT("Long"), -kTwo53, kTwo53)}},
        {"integer of an empty text", [](Registry& t) { t.setText("L", ""); }, [](Registry&) { return lget("L", 77); },
         "77", {failed("vxNameValueGet", "L", "vxnrlget"), wrongKind}},
        {"integer, explicit name length", [](Registry& t) { t.setLong("L", 5); },
         [](Registry&) { return lget("Lx", 77, 1) + " " + lget("Lx", 77, 2); }, "5 77", {}},
        {"integer, registry fails", failRegistry(kFail), [](Registry&) { return lget("L", 77); }, "77",
         {failed("vxNameValueGet", "L", "vxnrlget"), failStatus}},
        {"integer, host cannot read integers",
         [](Registry& t) { t.setLong("L", 5), t.spy.failGet[VXNameQORLong] = VX_STATUS_UNSUPPORTED; },
         [](Registry&) { return lget("L", 77); }, "5", {}},
        {"integer, host reads neither",
         [](Registry& t) {
             t.setLong("L", 5);
             t.spy.failGet[VXNameQORLong] = VX_STATUS_UNSUPPORTED, t.spy.failGet[VXNameString] = kFail;
         },
         [](Registry&) { return lget("L", 77); }, "77",
         {failed("vxNameValueGet", "L", "vxnrtget"), failStatus, failed("vxNameValueGet", "L", "vxnrlget"),
          status(VXSeverityError, VX_STATUS_UNSUPPORTED)}},
        // vxnrdget
        {"double of an integer", [](Registry& t) { t.setLong("D", 3); }, [](Registry&) { return dget("D", 0.25); },
         "3", {}},
        {"double of a number text", [](Registry& t) { t.setText("D", " -2.5e1 "); },
         [](Registry&) { return dget("D", 0.25); }, "-25", {}},
        {"double of a word", [](Registry& t) { t.setText("D", "half"); }, [](Registry&) { return dget("D", 0.25); },
         "0.25", {failed("vxNameValueGet", "D", "vxnrdget"), wrongKind}},
        {"double, registry fails", failRegistry(kFail), [](Registry&) { return dget("D", 0.25); }, "0.25",
         {failed("vxNameValueGet", "D", "vxnrdget"), failStatus}},
        // setters
        {"set text", nullptr,
         [](Registry& t) {
             VxText n("T"), v("abcdef");
             std::string r = t.stored(vxnrtset(n, 0, v, 3), "T");
             r.append(" ").append(t.stored(vxnrtset(n, 0, v, 0), "T"));
             return r + " " + t.stored(vxnrtset(n, 0, nullptr, 5), "T");
         },
         "0 4:abc 0 4:abcdef 0 4:", {}},
        {"set text, registry fails", failRegistry(kFail),
         [](Registry& t) { VxText n("T"), v("x"); return t.stored(vxnrtset(n, 0, v, 0), "T"); },
         hex(kFail) + " <absent>", {failed("vxNameValueSet", "T", "vxnrtset"), failStatus}},
        {"set integer over a text", [](Registry& t) { t.setText("L", "x"); },
         [](Registry& t) { VxText n("Lx"); return t.stored(vxnrlset(n, 1, INT64_MIN), "L"); },
         "0 3:-9223372036854775808", {}},
        {"set integer, host refuses the kind", [](Registry& t) { t.spy.failSet[VXNameQORLong] = kWrongKind; },
         [](Registry& t) {
             VxText n("L");
             std::string r = t.stored(vxnrlset(n, 0, INT64_MIN), "L");
             t.spy.failSet[VXNameQORLong] = VX_STATUS_UNSUPPORTED;
             return r + " " + t.stored(vxnrlset(n, 0, 120), "L");
         },
         "0 4:-9223372036854775808 0 4:120", {}},
        {"set integer, host refuses integer and text",
         [](Registry& t) { t.spy.failSet[VXNameQORLong] = VX_STATUS_UNSUPPORTED, t.spy.failSet[VXNameString] = kFail; },
         [](Registry& t) { VxText n("L"); return t.stored(vxnrlset(n, 0, 1), "L"); },
         hex(kFail) + " <absent>", {failed("vxNameValueSet", "L", "vxnrtset"), failStatus}},
        {"set integer, registry fails", failRegistry(kFail),
         [](Registry&) { VxText n("L"); return hex(vxnrlset(n, 0, 1)); }, hex(kFail),
         {failed("vxNameValueSet", "L", "vxnrlset"), failStatus}},
        {"set double", [](Registry& t) { t.setText("D", "x"); },
         [](Registry& t) { VxText n("D"); return t.stored(vxnrdset(n, 0, -0.125), "D"); }, "0 2:-0.125",
         {}},
        {"set double, registry fails", failRegistry(kFail),
         [](Registry&) { VxText n("D"); return hex(vxnrdset(n, 0, 1.0)); }, hex(kFail),
         {failed("vxNameValueSet", "D", "vxnrdset"), failStatus}},
        {"setters, registry says absent", failRegistry(VX_STATUS_NOT_FOUND),
         [](Registry&) { VxText n("N"); return hex(vxnrlset(n, 0, 1)) + hex(vxnrdset(n, 0, 1.0)); }, "00", {}},
        /* A count the host will not store is reported, and still returned. */
        {"limit, host refuses the count", [](Registry& t) { t.setLong("C", 7), t.spy.failSet[VXNameQORLong] = kFail; },
         [](Registry& t) { VxText n("C"); return std::to_string(vxnrlimit(n, 0, 100)) + " " + t.entry("C"); },
         "6 3:7", {failed("vxNameValueSet", "C", "vxnrlset"), failStatus, failStatus}},
    };
}

TEST_F(Registry, GettersFallBackAndSettersReportWhatTheHostRefuses)
{
    for (const Case& c : fallbackCases()) {
        SCOPED_TRACE(c.what);
        vxhost_registry_fail(host(), 0);
        vxhost_journal_fail(host(), 0, 0);
        for (const char* name : {"T", "L", "Long", "D", "N", "C"}) remove(name);
        spy.reset();
        if (c.prepare) c.prepare(*this);
        clearJournal();
        EXPECT_EQ(c.call(*this), c.result);
        vxhost_registry_fail(host(), 0);
        EXPECT_EQ(journal(), c.lines) << journalDump();
    }
}

TEST_F(Registry, NullNameOrNoHostGiveTheDefaultWithoutTouchingAnything)
{
    debug();
    setText("K", "x");
    VXChar buf[4] = {'Z', 'Z', 0};
    char cbuf[4] = "ZZ";
    VxText k("K"), v("v");
    clearJournal();
    spy.reset();
    const std::vector<long long> got = { /* in order: a braced list is evaluated left to right */
        vxnrtget(nullptr, 0, buf, 1), buf[0], buf[1], /* room for the terminator alone */
        vxnrcget(nullptr, 0, cbuf, 1), cbuf[0], cbuf[1], vxnrlget(nullptr, 0, 77),
        static_cast<long long>(vxnrdget(nullptr, 0, 7.5) * 2),
        vxnrlook(nullptr, 0, 9, VXT("X"), 1, static_cast<VXChar*>(nullptr)), vxnrlimit(nullptr, 0, 100),
        vxnrtset(nullptr, 0, k, 0), vxnrlset(nullptr, 0, 1), vxnrdset(nullptr, 0, 1.0)};
    EXPECT_EQ(got, (std::vector<long long>{0, 0, 'Z', 0, 0, 'Z', 77, 15, 9, 100, 0, 0, 0}));
    EXPECT_TRUE(spy.calls.empty());
    EXPECT_EQ(journalCount(), 0u) << journalDump();

    /* Unbound: real names, still nothing happens. */
    vxextent(nullptr);
    const std::vector<long long> unbound = {
        vxnrtget(k, 0, buf, 4), vxnrlget(k, 0, 77), vxnrlook(k, 0, 9, VXT("X"), 1, static_cast<VXChar*>(nullptr)),
        vxnrlimit(k, 0, 100), vxnrtset(k, 0, v, 0)};
    EXPECT_EQ(unbound, (std::vector<long long>{0, 77, 9, 100, 0}));
    vxextent(handle());
    EXPECT_EQ(text("K"), "x");
    EXPECT_EQ(journalCount(), 0u) << journalDump();
}

// ---- vxnrstol ---------------------------------------------------------------------------

TEST(Vxnrstol, AcceptsSignedDecimalsWithBlanksAndZeroFractions)
{
    const QORLONG bad = VXNR_NOT_A_NUMBER;
    const struct {
        const char* text;
        QORLONG value;
    } cases[] = {
        {"42", 42}, {"   42", 42}, {"42   ", 42}, {"  +42  ", 42}, {"-42", -42}, {" -42 ", -42},
        {"42.", 42}, {"42.000", 42}, {"-42.0  ", -42}, {"0", 0}, {"-0", 0}, {"007", 7},
        {"9007199254740991", 9007199254740991LL}, {"9007199254740992", kTwo53},
        {"9007199254740993", kTwo53}, {"99999999999999999999999", kTwo53},
        {"-9007199254740991", -9007199254740991LL}, {"-99999999999999999999999", bad},
        {"99999999999999999999999x", kTwo53}, /* the value is decided once it is too large */
        {"", bad}, {"   ", bad}, {"+", bad}, {"-", bad}, {".", bad}, {".0", bad}, {"+-1", bad},
        {"- 1", bad}, {"4 2", bad}, {"42.5", bad}, {"42.01", bad}, {"42..", bad}, {"42. 0", bad},
        {"0x2A", bad}, {"1e3", bad}, {"\t42", bad}, {"42\t", bad}, {"42x", bad}, {"x42", bad},
        {"４２", bad}, /* fullwidth digits */
    };
    for (const auto& c : cases) {
        VxText t(c.text);
        EXPECT_EQ(vxnrstol(t), c.value) << "'" << c.text << "'";
    }
    EXPECT_EQ(vxnrstol(nullptr), bad);
}

// ---- vxnrlook ---------------------------------------------------------------------------

TEST_F(Registry, KeywordsMatchWholeAfterTrailingBlanksAndUpperCasing)
{
    const struct {
        const char* value; /* null: absent */
        bool nls;          /* host upper-cases above ASCII */
        int result;
        const char* reported; /* the value as reported, null: no report */
    } cases[] = {
        {nullptr, true, -5, nullptr},
        {"    ", true, -5, nullptr},
        {"warn", true, 3, nullptr},
        {"Warnings  ", true, 3, nullptr},
        {"no", true, 9, nullptr},
        {"NOTE\u017F", true, 2, nullptr},  /* long s upper-cases to S */
        {"NOTE\u017F", false, 2, nullptr}, /* ... in the module's own table too */
        {"\u0131nfo", true, 1, nullptr},   /* the host maps dotless i to I */
        {"\u0131nfo", false, -5, "\u0131NFO"}, /* the table does not */
        {" notes", true, -5, " NOTES"},
        {"NOTE S", true, -5, "NOTE S"},
        {"WARN\t", true, -5, "WARN\t"},
        {"NOTESX", true, -5, "NOTESX"},
        {"3", true, -5, "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "<absent>");
        remove("K");
        if (c.value) setText("K", c.value);
        vxhost_nls_detach(host(), c.nls ? 0 : 1);
        clearJournal();
        VxText k("K");
        int r = vxnrlook(k, 0, -5, VXT("NO"), 9, VXT("NONE"), 9, VXT("ERROR"), 4, VXT("ERRORS"), 4, VXT("WARN"), 3,
                         VXT("WARNING"), 3, VXT("WARNINGS"), 3, VXT("NOTE"), 2, VXT("NOTES"), 2, VXT("YES"), 2,
                         VXT("INFO"), 1, VXT("ALL"), 0, static_cast<VXChar*>(nullptr));
        EXPECT_EQ(r, c.result);
        if (c.reported) {
            VxText v(c.reported);
            EXPECT_EQ(journal(), (std::vector<JournalEntry>{status(VXSeverityError, VXNR_M_NOT_KEYWORD, v.length(),
                                                                   v.data(), 1, VXT("K"))}))
                << journalDump();
            EXPECT_EQ(kind("K"), VXNameString);
            EXPECT_EQ(text("K"), "") << "a wrong value is cleared";
        } else {
            EXPECT_EQ(journalCount(), 0u) << journalDump();
            EXPECT_EQ(text("K"), c.value ? c.value : "");
        }
    }
    vxhost_nls_detach(host(), 0);

    /* The value is read through a buffer of 100 units: what lies beyond is
     * never seen, here the blanks after the keyword. */
    setText("K", "WARN" + std::string(200, ' '));
    VxText k("K");
    EXPECT_EQ(vxnrlook(k, 0, -5, VXT("WARN"), 3, static_cast<VXChar*>(nullptr)), 3);
    setText("K", std::string(99, ' ') + "WARN");
    EXPECT_EQ(vxnrlook(k, 0, -5, VXT("WARN"), 3, static_cast<VXChar*>(nullptr)), -5);

    /* No keywords at all: every value is wrong.  Without a journal it is not
     * cleared, since nobody would learn why. */
    setText("K", "x");
    clearJournal();
    EXPECT_EQ(vxnrlook(k, 0, 11, static_cast<VXChar*>(nullptr)), 11);
    EXPECT_EQ(countCode(VXNR_M_NOT_KEYWORD), 1u);
    EXPECT_EQ(text("K"), "");
    setText("K", "x");
    vxhost_journal_detach(host(), 1);
    EXPECT_EQ(vxnrlook(k, 0, 11, VXT("Y"), 1, static_cast<VXChar*>(nullptr)), 11);
    vxhost_journal_detach(host(), 0);
    EXPECT_EQ(text("K"), "x");
}

// ---- vxnrlimit ----------------------------------------------------------------------------

TEST_F(Registry, LimitsCountDownToMinusOneAndAnnounceTheLastOne)
{
    const struct {
        const char* what;
        Prepare prepare;
        QORLONG limit;
        int result;
        std::string stored;
        size_t limitNotes;
        size_t notIntegers;
    } cases[] = {
        {"first use", nullptr, 100, 100, "3:100", 0, 0},
        {"first use, negative", nullptr, -3, -3, "3:-3", 0, 0},
        {"counting", [](Registry& t) { t.setLong("C", 100); }, 100, 99, "3:99", 0, 0},
        {"limit ignored later", [](Registry& t) { t.setLong("C", 2); }, 100, 1, "3:1", 0, 0},
        {"last one", [](Registry& t) { t.setLong("C", 1); }, 100, 0, "3:0", 1, 0},
        {"exhausted", [](Registry& t) { t.setLong("C", 0); }, 100, -1, "3:-1", 0, 0},
        {"a number text", [](Registry& t) { t.setText("C", " 5 "); }, 100, 4, "3:4", 0, 0},
        {"a number text, last one", [](Registry& t) { t.setText("C", "1."); }, 100, 0, "3:0", 1, 0},
        {"a word", [](Registry& t) { t.setText("C", "lots"); }, 100, 99, "3:99", 0, 1},
        {"a fraction", [](Registry& t) { t.setDouble("C", 2.5); }, 100, 99, "3:99", 0, 1},
        {"the unreadable marker itself", [](Registry& t) { t.setLong("C", -666); }, 100, 99, "3:99", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        remove("C");
        if (c.prepare) c.prepare(*this);
        clearJournal();
        VxText n("C");
        EXPECT_EQ(vxnrlimit(n, 0, c.limit), c.result);
        EXPECT_EQ(entry("C"), c.stored);
        EXPECT_EQ(countCode(VXNR_M_LIMIT_REACHED), c.limitNotes) << journalDump();
        EXPECT_EQ(countCode(VXNR_M_NOT_INTEGER), c.notIntegers) << journalDump();
        EXPECT_EQ(journalCount(), c.limitNotes + c.notIntegers) << journalDump();
    }
}

struct UpperSpy : VXNLSExt {
    static inline std::vector<VXChar> asked;
    UpperSpy()
    {
        makeToVXChar = nullptr, makeFromVXChar = nullptr;
        toUpper = [](VXNLSExth, VXChar c) -> VXChar { return asked.push_back(c), 0x2BAD; };
    }
};

TEST_F(Registry, UpperCasingAsksTheHostAboveAsciiOnly)
{
    VXHndlp h = handle();
    VXNLSExth real = h->vxnls;
    UpperSpy spy;
    UpperSpy::asked.clear();
    h->vxnls = &spy;
    EXPECT_EQ(vxUpperCase('a'), static_cast<VXChar>('A'));
    EXPECT_EQ(vxUpperCase(0x7F), 0x7Fu);
    EXPECT_EQ(vxUpperCase(0x80), 0x2BADu);
    EXPECT_EQ(vxUpperCase(0xE9), 0x2BADu);
    EXPECT_EQ(vxUpperCase(0x1F600), 0x2BADu);
    EXPECT_EQ(vxLowerCase(0xC9), 0xE9u) << "lower-casing never asks the host";
    EXPECT_EQ(vxUpperCaseTable(0xE9), 0xC9u);
    EXPECT_EQ(UpperSpy::asked, (std::vector<VXChar>{0x80, 0xE9, 0x1F600}));
    spy.toUpper = nullptr;
    EXPECT_EQ(vxUpperCase(0xE9), 0xC9u) << "an extension that cannot upper-case";
    h->vxnls = nullptr;
    EXPECT_EQ(vxUpperCase(0xB5), 0xB5u);
    h->vxnls = real;
    EXPECT_EQ(vxUpperCase(0xB5), 0x39Cu) << "the host's mapping is its own";
}

} // namespace
