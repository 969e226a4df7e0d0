// Message reporting: registry keys, count-down limits, arguments, failing or missing journal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/vxhost_api.h"
#include "subs/zrngmsg.h"
#include "support/host_fixture.h"

namespace {

using vxtest::JournalEntry;
using vxtest::status;

constexpr VXStatus kJournalFail = VXHOST_STATUS_JOURNAL_FAILED;
const char* const kSeverity = "OSENV.QOR_RNG_SEVERITY";
const char* const kMessages = "OSENV.QOR_RNG_MESSAGES";
const char* const kNoteLimit = "OSENV.QOR_RNG_NOTE_LIMIT";
const char* const kErrorLimit = "OSENV.QOR_RNG_ERROR_LIMIT";

/* One message of a code that takes a single 8-bit text. */
VXStatus say(VXSeverity severity, const char* label = "MT64")
{
    return zrngmsg(severity, ZRNG_M_METHOD, label);
}

class Messages : public vxtest::HostFixture {
protected:
    /* Lines of the test message, in order. */
    std::vector<VXSeverity> shown() const
    {
        std::vector<VXSeverity> s;
        for (const JournalEntry& e : journal())
            if (e.code == ZRNG_M_METHOD) s.push_back(e.severity);
        return s;
    }
};

TEST_F(Messages, KeysDecideWhetherAndHowAMessageIsShown)
{
    const VXSeverity N = VXSeverityNote, W = VXSeverityWarning, E = VXSeverityError;
    const struct {
        const char* severityKey; /* null: absent */
        const char* messagesKey;
        VXSeverity passed;
        VXSeverity written; /* 0: suppressed */
        const char* counted; /* the limit key it counts against, null: none */
        size_t notKeyword;   /* 0x8C7FE8C9 reports */
    } cases[] = {
        {nullptr, nullptr, E, E, kErrorLimit, 0},
        {nullptr, nullptr, W, 0, nullptr, 0},
        {nullptr, nullptr, N, 0, nullptr, 0},
        {nullptr, nullptr, VXSeverityNone, 0, nullptr, 0},
        {nullptr, nullptr, VXSeverityNull, 0, nullptr, 0},
        {nullptr, "NOTE", N, N, kNoteLimit, 0},
        {nullptr, "note", W, W, kErrorLimit, 0},
        {nullptr, "notes ", N, N, kNoteLimit, 0},
        {nullptr, " notes", N, 0, nullptr, 1},
        {nullptr, " notes", E, E, kErrorLimit, 1},
        {nullptr, "yes", VXSeverityNone, 0, nullptr, 0},
        {nullptr, "warn", W, W, kErrorLimit, 0},
        {nullptr, "warnings", N, 0, nullptr, 0},
        {nullptr, "ERRORS", W, 0, nullptr, 0},
        {nullptr, "NONE", E, 0, nullptr, 0},
        {nullptr, "no", E, 0, nullptr, 0},
        {nullptr, "bogus", E, E, kErrorLimit, 1},
        {nullptr, "ALL", VXSeverityNone, N, kNoteLimit, 0},
        {nullptr, "ALL", VXSeverityNull, N, kNoteLimit, 0},
        {nullptr, "INFO", VXSeverityNone, N, kNoteLimit, 0},
        {nullptr, "INFO", VXSeverityNull, 0, nullptr, 0},
        {"ERROR", "ERROR", VXSeverityNone, E, kErrorLimit, 0},
        {"error", "error", VXSeverityNull, E, kErrorLimit, 0},
        {"ERROR", "ERROR", N, 0, nullptr, 0}, /* only messages passed below note are raised */
        {"ERROR", "ERROR", W, 0, nullptr, 0},
        {"WARNING", "WARN", VXSeverityNone, W, kErrorLimit, 0},
        {"INFO", "ALL", VXSeverityNone, N, kNoteLimit, 0},
        {"INFO", "ALL", VXSeverityNull, N, kNoteLimit, 0},
        {"ALL", "ALL", VXSeverityNone, N, kNoteLimit, 0},
        {"NOTE", "NOTE", VXSeverityNone, N, kNoteLimit, 0},
        {"NONE", "ALL", VXSeverityNone, N, kNoteLimit, 1}, /* NONE is a level, not a severity */
        {"NO", "NOTE", VXSeverityNone, 0, nullptr, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.severityKey ? c.severityKey : "-") + " / " +
                     (c.messagesKey ? c.messagesKey : "-") + " / " + std::to_string(c.passed));
        for (const char* k : {kSeverity, kMessages, kNoteLimit, kErrorLimit}) remove(k);
        if (c.severityKey) setText(kSeverity, c.severityKey);
        if (c.messagesKey) setText(kMessages, c.messagesKey);
        clearJournal();
        EXPECT_EQ(say(c.passed, "MT19937"), 0);
        if (c.written) {
            ASSERT_GT(journalCount(), 0u);
            EXPECT_EQ(journal().back(), status(c.written, ZRNG_M_METHOD, "MT19937")) << journalDump();
            EXPECT_EQ(shown().size(), 1u) << journalDump();
        } else {
            EXPECT_EQ(shown().size(), 0u) << journalDump();
        }
        EXPECT_EQ(countCode(VXNR_M_NOT_KEYWORD), c.notKeyword) << journalDump();
        EXPECT_EQ(journalCount(), (c.written ? 1u : 0u) + c.notKeyword) << journalDump();
        for (const char* k : {kNoteLimit, kErrorLimit})
            EXPECT_EQ(longValue(k), c.counted == k ? 100 : INT64_MIN) << k;
    }
}

TEST_F(Messages, ArgumentsReachTheCatalogueTextInOrder)
{
    setText(kMessages, "ALL");
    vxtest::VxText method("PCG64");
    std::vector<JournalEntry> want;
    auto both = [&](VXSeverity passed, VXSeverity shown, VXStatus code, auto... args) {
        EXPECT_EQ(zrngmsg(passed, code, args...), 0);
        want.push_back(status(shown, code, args...));
    };
    both(VXSeverityNote, VXSeverityNote, ZRNG_M_METHOD_SEED_KEY, "pcg", 5ull, 5ull, 0x1234567890ull, 0x1234567890ull);
    both(VXSeverityError, VXSeverityError, ZRNG_M_KEY_TOO_LARGE, 77ull, 63ull, method.data());
    both(VXSeverityWarning, VXSeverityWarning, ZRNG_M_SEED_REPLACED, 2.5, 4294967295ull, method.data(), 3ull, 3ull);
    both(VXSeverityNone, VXSeverityNote, ZRNG_M_BLOB_SIZE, "MT64", static_cast<size_t>(2512));
    ASSERT_EQ(journal(), want);
}

/* With the defaults each class shows 101 messages: 100 stored on first use,
 * counted down to 0 (announced once, that message still shown), then -1. */
TEST_F(Messages, EachClassShows101MessagesAndTheClassesCountApart)
{
    setText(kMessages, "ALL");
    for (int i = 0; i < 150; ++i) say(i % 2 ? VXSeverityError : VXSeverityWarning);
    std::vector<JournalEntry> lines = journal();
    EXPECT_EQ(shown().size(), 101u);
    EXPECT_EQ(longValue(kErrorLimit), -1);
    ASSERT_EQ(countCode(VXNR_M_LIMIT_REACHED), 1u) << journalDump();
    ASSERT_EQ(lines.size(), 102u);
    /* The announcement comes just before the last message shown. */
    EXPECT_EQ(lines[100], status(VXSeverityNote, VXNR_M_LIMIT_REACHED, 25, VXT("OSENV.QOR_RNG_ERROR_LIMIT")));
    EXPECT_EQ(lines[101].code, ZRNG_M_METHOD);
    EXPECT_EQ(lines[101].severity, VXSeverityWarning) << "message 101 is the 101st of the loop, a warning";

    /* Warnings and errors are silent now; notes are not. */
    clearJournal();
    for (int i = 0; i < 120; ++i) say(i % 3 == 0 ? VXSeverityNone : VXSeverityNote);
    say(VXSeverityError);
    say(VXSeverityWarning);
    EXPECT_EQ(shown(), std::vector<VXSeverity>(101, VXSeverityNote));
    EXPECT_EQ(countCode(VXNR_M_LIMIT_REACHED), 1u);
    EXPECT_EQ(longValue(kNoteLimit), -1);
    EXPECT_EQ(journalCount(), 102u) << "nothing from the error class";
}

TEST_F(Messages, APresetLimitLetsExactlyThatManyMoreThrough)
{
    const struct {
        const char* key;
        VXSeverity severity;
        long long preset;
        const char* presetText; /* set as text instead, when not null */
        size_t shownOf10;
        long long after;
        size_t announced;
        size_t unreadable;
    } cases[] = {
        {kNoteLimit, VXSeverityNote, 0, nullptr, 0, -1, 0, 0},
        {kNoteLimit, VXSeverityNote, 1, nullptr, 1, -1, 1, 0},
        {kNoteLimit, VXSeverityNote, 3, nullptr, 3, -1, 1, 0},
        {kNoteLimit, VXSeverityNote, 12, nullptr, 10, 2, 0, 0},
        {kNoteLimit, VXSeverityNote, -1, nullptr, 0, -1, 0, 0},
        {kNoteLimit, VXSeverityNote, 0, " 2 ", 2, -1, 1, 0},
        {kNoteLimit, VXSeverityNote, 0, "plenty", 10, 90, 0, 1},
        {kErrorLimit, VXSeverityError, 0, nullptr, 0, -1, 0, 0},
        {kErrorLimit, VXSeverityWarning, 4, nullptr, 4, -1, 1, 0},
        {kErrorLimit, VXSeverityError, 0, "0.", 0, -1, 0, 0},
        {kErrorLimit, VXSeverityError, 0, "-5", 0, -1, 0, 0},
        {kErrorLimit, VXSeverityError, 0, "1.5", 10, 90, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + (c.presetText ? c.presetText : std::to_string(c.preset)));
        for (const char* k : {kNoteLimit, kErrorLimit}) remove(k);
        setText(kMessages, "NOTE");
        if (c.presetText) setText(c.key, c.presetText);
        else setLong(c.key, c.preset);
        clearJournal();
        for (int i = 0; i < 10; ++i) say(c.severity);
        EXPECT_EQ(shown(), std::vector<VXSeverity>(c.shownOf10, c.severity)) << journalDump();
        EXPECT_EQ(longValue(c.key), c.after);
        EXPECT_EQ(countCode(VXNR_M_LIMIT_REACHED), c.announced);
        EXPECT_EQ(countCode(VXNR_M_NOT_INTEGER), c.unreadable);
        EXPECT_EQ(journalCount(), c.shownOf10 + c.announced + c.unreadable) << journalDump();
        const char* other = c.key == kNoteLimit ? kErrorLimit : kNoteLimit;
        EXPECT_FALSE(exists(other));
    }
}

TEST_F(Messages, AFailingJournalIsReportedOnceMoreAndReturned)
{
    /* The message is the first write: no key is set, so reading them writes nothing. */
    vxhost_journal_fail(host(), kJournalFail, 1);
    EXPECT_EQ(say(VXSeverityError), kJournalFail);
    EXPECT_EQ(journal(), (std::vector<JournalEntry>{status(VXSeverityError, kJournalFail)}));

    /* When the report fails too, the status is still returned. */
    clearJournal();
    vxhost_journal_fail(host(), kJournalFail, -1);
    EXPECT_EQ(say(VXSeverityError), kJournalFail);
    EXPECT_EQ(say(VXSeverityWarning), 0) << "a suppressed message writes nothing";
    vxhost_journal_fail(host(), 0, 0);
    EXPECT_EQ(journalCount(), 0u) << journalDump();
    EXPECT_EQ(longValue(kErrorLimit), 99) << "a failed message still counts";

    /* A note under NOTE fails the same way, once. */
    setText(kMessages, "NOTE");
    vxhost_journal_fail(host(), kJournalFail, 1);
    EXPECT_EQ(say(VXSeverityNote), kJournalFail);
    EXPECT_EQ(say(VXSeverityNote), 0);
    EXPECT_EQ(journal(), (std::vector<JournalEntry>{status(VXSeverityError, kJournalFail),
                                                   status(VXSeverityNote, ZRNG_M_METHOD, "MT64")}));
}

TEST_F(Messages, WithoutAJournalNothingIsReadOrCounted)
{
    {
        vxtest::RegistrySpy spy(handle());
        say(VXSeverityError); /* with a journal: the keys are read */
        EXPECT_FALSE(spy.calls.empty());
        setText(kMessages, "bogus");
        setText(kSeverity, "bogus");
        remove(kErrorLimit);
        spy.reset();
        vxhost_journal_detach(host(), 1);
        for (VXSeverity s = 0; s <= 4; ++s) EXPECT_EQ(say(s), 0);
        EXPECT_TRUE(spy.calls.empty());
        vxhost_journal_detach(host(), 0);
    }
    EXPECT_EQ(text(kMessages), "bogus");
    EXPECT_EQ(text(kSeverity), "bogus");
    EXPECT_FALSE(exists(kErrorLimit));
    EXPECT_FALSE(exists(kNoteLimit));

    vxextent(nullptr);
    EXPECT_EQ(say(VXSeverityError), 0);
    vxextent(handle());
    EXPECT_FALSE(exists(kErrorLimit));
}

} // namespace
