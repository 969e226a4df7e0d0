/* The default journal: formatted lines kept in memory with their severity
 * and code, optionally echoed to stderr, readable through the embedding API. */
#include <algorithm>
#include <cstdio>

#include "host/host_internal.h"

namespace vxh {
namespace {

const char* severityName(VXSeverity s)
{
    switch (s) {
    case VXSeverityNull: return "NULL";
    case VXSeverityNone: return "NONE";
    case VXSeverityNote: return "NOTE";
    case VXSeverityWarning: return "WARNING";
    case VXSeverityError: return "ERROR";
    default: return "SEVERITY?";
    }
}

/* Consumes one forced failure; the caller holds j->mu. */
VXStatus forcedFailure(Journal* j)
{
    if (j->failStatus == 0 || j->failCount == 0) return 0;
    if (j->failCount > 0) --j->failCount;
    return j->failStatus;
}

VXStatus append(Journal* j, VXSeverity severity, VXStatus code, std::string text)
{
    std::lock_guard<std::mutex> g(j->mu);
    if (VXStatus f = forcedFailure(j)) return f;
    if (j->echo)
        std::fprintf(stderr, "[%s] 0x%08X %s\n", severityName(severity), static_cast<unsigned>(code),
                     text.c_str());
    try {
        j->lines.push_back({severity, code, std::move(text)});
    } catch (...) {
        return VX_STATUS_NULL_ARGUMENT;
    }
    return 0;
}

std::string formatStatus(VXStatus status, va_list* ap)
{
    const char* text = catalogueLookup(status);
    if (!text) {
        char line[32];
        std::snprintf(line, sizeof line, "status 0x%08X", static_cast<unsigned>(status));
        return line;
    }
    std::u32string format = utf8ToU32(text);
    return formatText(reinterpret_cast<const VXChar*>(format.data()), format.size(), ap);
}

VXStatus messageToJnl(VXJnlh jnl, VXSeverity severity, const VXChar* format, VXStrSize format_l,
                      va_list args)
{
    if (!jnl || !format) return VX_STATUS_NULL_ARGUMENT;
    Journal* j = static_cast<Journal*>(jnl);
    std::u32string_view f = vxView(format, format_l);
    va_list ap;
    va_copy(ap, args);
    std::string text;
    try {
        text = formatText(reinterpret_cast<const VXChar*>(f.data()), f.size(), &ap);
    } catch (...) {
        va_end(ap);
        return VX_STATUS_NULL_ARGUMENT;
    }
    va_end(ap);
    return append(j, severity, 0, std::move(text));
}

VXStatus statusToJnl(VXJnlh jnl, VXSeverity severity, VXStatus status, va_list args)
{
    if (!jnl) return VX_STATUS_NULL_ARGUMENT;
    Journal* j = static_cast<Journal*>(jnl);
    va_list ap;
    va_copy(ap, args);
    std::string text;
    try {
        text = formatStatus(status, &ap);
    } catch (...) {
        va_end(ap);
        return VX_STATUS_NULL_ARGUMENT;
    }
    va_end(ap);
    return append(j, severity, status, std::move(text));
}

int copyOut(const std::string& text, char* buf, size_t capacity)
{
    if (buf && capacity > 0) {
        size_t n = std::min(text.size(), capacity - 1);
        /* never cut a character in two */
        while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
        text.copy(buf, n);
        buf[n] = 0;
    }
    return static_cast<int>(text.size());
}

} // namespace

void journalInit(Host* host)
{
    host->journal.messageToJnl = messageToJnl;
    host->journal.statusToJnl = statusToJnl;
    host->journal.host = host;
    host->vxjnl = &host->journal;
}

} // namespace vxh

using namespace vxh;

extern "C" {

size_t vxhost_journal_count(VXHost* host)
{
    if (!host) return 0;
    std::lock_guard<std::mutex> g(host->journal.mu);
    return host->journal.lines.size();
}

int vxhost_journal_line(VXHost* host, size_t i, VXJournalLine* line)
{
    if (!host || !line) return VX_STATUS_NULL_ARGUMENT;
    std::lock_guard<std::mutex> g(host->journal.mu);
    if (i >= host->journal.lines.size()) return VX_STATUS_NOT_FOUND;
    const JournalLine& l = host->journal.lines[i];
    line->severity = l.severity;
    line->code = l.code;
    line->text = l.text.c_str();
    return 0;
}

void vxhost_journal_clear(VXHost* host)
{
    if (!host) return;
    std::lock_guard<std::mutex> g(host->journal.mu);
    host->journal.lines.clear();
}

void vxhost_journal_echo(VXHost* host, int on)
{
    if (!host) return;
    std::lock_guard<std::mutex> g(host->journal.mu);
    host->journal.echo = on != 0;
}

void vxhost_journal_fail(VXHost* host, VXStatus status, int count)
{
    if (!host) return;
    std::lock_guard<std::mutex> g(host->journal.mu);
    host->journal.failStatus = status;
    host->journal.failCount = status != 0 ? count : 0;
}

void vxhost_journal_detach(VXHost* host, int detached)
{
    if (host) host->vxjnl = detached ? nullptr : &host->journal;
}

int vxhost_format_status(char* buf, size_t capacity, VXStatus code, ...)
{
    va_list ap;
    va_start(ap, code);
    std::string text;
    try {
        text = formatStatus(code, &ap);
    } catch (...) {
        va_end(ap);
        return copyOut("", buf, capacity);
    }
    va_end(ap);
    return copyOut(text, buf, capacity);
}

int vxhost_format(char* buf, size_t capacity, const char* format, ...)
{
    if (!format) return copyOut("", buf, capacity);
    va_list ap;
    va_start(ap, format);
    std::string text;
    try {
        std::u32string f = utf8ToU32(format);
        text = formatText(reinterpret_cast<const VXChar*>(f.data()), f.size(), &ap);
    } catch (...) {
        text.clear();
    }
    va_end(ap);
    return copyOut(text, buf, capacity);
}

} // extern "C"
