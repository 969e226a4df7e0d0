#include "host_fixture.h"

#include <cstring>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace vxtest {

std::ostream& operator<<(std::ostream& os, const JournalEntry& e)
{
    std::ios_base::fmtflags f = os.flags();
    os << "[" << e.severity << "] 0x" << std::hex << std::uppercase
       << static_cast<uint32_t>(e.code);
    os.flags(f);
    return os << " '" << e.text << "'";
}

VxText::VxText(std::string_view utf8)
{
    std::string s(utf8);
    units_.resize(s.size() + 1);
    size_t n = vxhost_utf8_to_vxchar(s.c_str(), units_.data(), units_.size());
    units_.resize(n + 1);
    units_[n] = 0;
}

std::string toUtf8(const VXChar* text, int length)
{
    if (!text) return {};
    size_t n = 0;
    if (length > 0) n = static_cast<size_t>(length);
    else
        while (text[n]) ++n;
    std::string out(n * 4 + 1, '\0');
    size_t bytes = vxhost_vxchar_to_utf8(text, static_cast<int>(n), out.data(), out.size());
    out.resize(bytes);
    return out;
}

TestHost::TestHost() : host_(vxhost_create())
{
    if (!host_) {
        ADD_FAILURE() << "vxhost_create failed";
        return;
    }
    size_t major = 0, minor = 0;
    vxextver(vxhost_handle(host_), &major, &minor);
}

TestHost::~TestHost()
{
    if (Exported_VXHandle == (host_ ? vxhost_handle(host_) : nullptr)) vxextent(nullptr);
    if (host_) vxhost_destroy(host_);
}

void TestHost::setText(const std::string& name, const std::string& value)
{
    VXStatus s = vxhost_set_text(host_, name.c_str(), value.c_str());
    if (s != 0) ADD_FAILURE() << "vxhost_set_text(" << name << ") failed: " << s;
}

void TestHost::setLong(const std::string& name, int64_t value)
{
    VXStatus s = vxhost_set_long(host_, name.c_str(), value);
    if (s != 0) ADD_FAILURE() << "vxhost_set_long(" << name << ") failed: " << s;
}

void TestHost::setDouble(const std::string& name, double value)
{
    VXStatus s = vxhost_set_double(host_, name.c_str(), value);
    if (s != 0) ADD_FAILURE() << "vxhost_set_double(" << name << ") failed: " << s;
}

void TestHost::remove(const std::string& name) { vxhost_remove(host_, name.c_str()); }

bool TestHost::exists(const std::string& name) const
{
    return vxhost_exists(host_, name.c_str()) != 0;
}

int TestHost::kind(const std::string& name) const { return vxhost_kind(host_, name.c_str()); }

std::string TestHost::text(const std::string& name) const
{
    int need = vxhost_get_text(host_, name.c_str(), nullptr, 0);
    if (need < 0) return {};
    std::string buf(static_cast<size_t>(need) + 1, '\0');
    vxhost_get_text(host_, name.c_str(), buf.data(), buf.size());
    buf.resize(static_cast<size_t>(need));
    return buf;
}

int64_t TestHost::longValue(const std::string& name, int64_t absent) const
{
    int64_t v = 0;
    if (vxhost_get_long(host_, name.c_str(), &v) != 0) return absent;
    return v;
}

std::vector<JournalEntry> TestHost::journal() const
{
    std::vector<JournalEntry> out;
    size_t n = vxhost_journal_count(host_);
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        VXJournalLine line{};
        if (vxhost_journal_line(host_, i, &line) != 0) continue;
        out.push_back({line.severity, line.code, line.text ? line.text : ""});
    }
    return out;
}

std::vector<JournalEntry> TestHost::takeJournal()
{
    std::vector<JournalEntry> out = journal();
    clearJournal();
    return out;
}

void TestHost::clearJournal() { vxhost_journal_clear(host_); }

size_t TestHost::journalCount() const { return vxhost_journal_count(host_); }

size_t TestHost::countCode(VXStatus code) const
{
    size_t n = 0;
    for (const JournalEntry& e : journal())
        if (e.code == code) ++n;
    return n;
}

size_t TestHost::countSeverity(VXSeverity severity) const
{
    size_t n = 0;
    for (const JournalEntry& e : journal())
        if (e.severity == severity) ++n;
    return n;
}

std::string TestHost::journalDump() const
{
    std::ostringstream os;
    for (const JournalEntry& e : journal()) os << e << "\n";
    return os.str();
}

RegistrySpy::RegistrySpy(VXHndlp h) : h_(h), exists_(h->nameExists), get_(h->nameGet), set_(h->nameSet)
{
    self = this;
    h->nameExists = [](VXHndlp hh, const VXChar* n, VXStrSize l) {
        self->calls.push_back({'e', toUtf8(n, l), l});
        return self->exists_(hh, n, l);
    };
    h->nameGet = [](VXHndlp hh, const VXChar* n, VXStrSize l, int32_t k, void* b, VXMemSize* s) {
        self->calls.push_back({'g', toUtf8(n, l), l, k});
        if (k >= 0 && k < 5 && self->failGet[k]) return self->failGet[k];
        VXStatus st = self->get_(hh, n, l, k, b, s);
        if (st == 0 && k == VXNameString && self->wholeTextSize) {
            std::vector<VXChar> all(4096);
            VXMemSize whole = all.size() * sizeof(VXChar);
            self->get_(hh, n, l, k, all.data(), &whole);
            *s = whole;
        }
        return st;
    };
    h->nameSet = [](VXHndlp hh, const VXChar* n, VXStrSize l, VXFlags f, int32_t k, const void* v, VXMemSize s,
                    void* r, int32_t rl) {
        int64_t value = 0;
        if (k == VXNameQORLong && v) std::memcpy(&value, v, sizeof value);
        self->calls.push_back({'s', toUtf8(n, l), l, k, f, s, value});
        if (k >= 0 && k < 5 && self->failSet[k]) return self->failSet[k];
        return self->set_(hh, n, l, f, k, v, s, r, rl);
    };
}

RegistrySpy::~RegistrySpy()
{
    h_->nameExists = exists_, h_->nameGet = get_, h_->nameSet = set_;
    self = nullptr;
}

void RegistrySpy::reset()
{
    calls.clear();
    for (int k = 0; k < 5; ++k) failGet[k] = failSet[k] = 0;
    wholeTextSize = false;
}

std::vector<RegistrySpy::Call> RegistrySpy::of(char op) const
{
    std::vector<Call> out;
    for (const Call& c : calls)
        if (c.op == op) out.push_back(c);
    return out;
}

} // namespace vxtest
