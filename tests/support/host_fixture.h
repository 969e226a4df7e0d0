/* A host for tests: one fresh VXHost per test, bound to the module linked
 * into the test program (vxextver), with helpers for the registry and for
 * reading the journal back as (severity, code, text).
 *
 *   class MyTest : public vxtest::HostFixture {};
 *   TEST_F(MyTest, X) { setText("OSENV.QOR_RNG_MESSAGES", "ALL"); ...
 *                       EXPECT_EQ(countCode(0x8C7FE828u), 1u); }
 *
 * For parameterised tests derive from ::testing::TestWithParam<T> and
 * vxtest::TestHost together. */
#ifndef VX_TESTS_SUPPORT_HOST_FIXTURE_H
#define VX_TESTS_SUPPORT_HOST_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "host/vxhost_testing.h"
#include "mk/vxbind.h"

namespace vxtest {

/* One journal line.  code is 0 for free-format messages. */
struct JournalEntry {
    VXSeverity severity = 0;
    VXStatus code = 0;
    std::string text;
    bool operator==(const JournalEntry&) const = default;
};
std::ostream& operator<<(std::ostream& os, const JournalEntry& e);

/* The line a catalogue status with these arguments makes. */
template <class... A>
JournalEntry status(VXSeverity severity, VXStatus code, A... args)
{
    char buf[512];
    vxhost_format_status(buf, sizeof buf, code, args...);
    return {severity, code, buf};
}

/* NUL-terminated VXChar copy of UTF-8 text, usable where the module's
 * functions take a (non-const) VXChar*. */
class VxText {
public:
    explicit VxText(std::string_view utf8 = {});
    VXChar* data() { return units_.data(); }
    operator VXChar*() { return units_.data(); }
    int length() const { return static_cast<int>(units_.size()) - 1; }

private:
    std::vector<VXChar> units_; /* always ends with 0 */
};

/* VXChar text (length <= 0: NUL-terminated) as UTF-8. */
std::string toUtf8(const VXChar* text, int length = 0);

/* Owns a VXHost for its lifetime and binds it to the statically linked
 * module; unbinds (Exported_VXHandle = null) before destroying it so that a
 * stray later call sees no host rather than a dangling one. */
class TestHost {
public:
    TestHost();
    virtual ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    VXHost* host() const { return host_; }
    VXHndlp handle() const { return vxhost_handle(host_); }

    /* Registry, UTF-8 names.  Each asserts (gtest ADD_FAILURE) on failure. */
    void setText(const std::string& name, const std::string& value);
    void setLong(const std::string& name, int64_t value);
    void setDouble(const std::string& name, double value);
    void remove(const std::string& name);
    bool exists(const std::string& name) const;
    int kind(const std::string& name) const;       /* VXName* or 0 */
    std::string text(const std::string& name) const; /* "" when absent */
    int64_t longValue(const std::string& name, int64_t absent = INT64_MIN) const;

    /* Journal. */
    std::vector<JournalEntry> journal() const;
    std::vector<JournalEntry> takeJournal(); /* read, then clear */
    void clearJournal();
    size_t journalCount() const;
    size_t countCode(VXStatus code) const;
    size_t countCode(uint32_t code) const { return countCode(static_cast<VXStatus>(code)); }
    size_t countSeverity(VXSeverity severity) const;
    /* All lines, one per row, for failure messages. */
    std::string journalDump() const;

private:
    VXHost* host_ = nullptr;
};

class HostFixture : public ::testing::Test, public TestHost {};

/* Stands between the module and a handle's registry while it lives (one at a
 * time, one thread): records each call and gives, by entry kind, answers
 * this host never gives on its own. */
class RegistrySpy {
public:
    struct Call {
        char op; /* 'e' nameExists, 'g' nameGet, 's' nameSet */
        std::string name;
        int32_t nameLength = 0;
        int32_t kind = 0;
        VXFlags flags = 0;   /* nameSet */
        VXMemSize size = 0;  /* nameSet: bytes passed */
        int64_t value = 0;   /* nameSet of an integer */
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    VXStatus failGet[5] = {};
    VXStatus failSet[5] = {};
    bool wholeTextSize = false; /* a cut text's size is reported whole, not as copied */

    explicit RegistrySpy(VXHndlp h);
    ~RegistrySpy();
    RegistrySpy(const RegistrySpy&) = delete;
    RegistrySpy& operator=(const RegistrySpy&) = delete;
    void reset(); /* no calls, no failures */
    std::vector<Call> of(char op) const;

private:
    static inline RegistrySpy* self = nullptr;
    VXHndlp h_;
    decltype(VXHndl::nameExists) exists_;
    decltype(VXHndl::nameGet) get_;
    decltype(VXHndl::nameSet) set_;
};

} // namespace vxtest

#endif
