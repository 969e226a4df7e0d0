/* Registry access.  Every function degrades to the caller's default instead
 * of failing: a missing entry is normal, and anything else the host
 * complains about is written to its default journal. */
#include <cstdarg>
#include <climits>
#include <mutex>

#include "mk/vxbind.h"
#include "subs/vxnls.h"
#include "subs/vxcasemap.h"
#include "subs/vxnr.h"
#include "subs/zrngmsg.h"

namespace {

constexpr double kTwo53 = 9007199254740992.0;
constexpr QORLONG kNotANumber = VXNR_NOT_A_NUMBER;
constexpr int kTextFallback = 100; /* code units read when a number is stored as text */
constexpr VXChar kBlank = 0x20;

int textLength(const VXChar* s, int l)
{
    if (l > 0) return l;
    int n = 0;
    while (s[n]) ++n;
    return n;
}

VXJnlh journal(VXHndlp h) { return h ? h->vxjnl : nullptr; }

bool debugging(VXHndlp h)
{
    return h && h->nameExists && h->nameExists(h, VXT("OSENV.QOR_VXNR_DEBUG"), 20);
}

void trace(VXHndlp h, const VXChar* format, ...)
{
    VXJnlh jnl = journal(h);
    if (!jnl) return;
    va_list ap;
    va_start(ap, format);
    jnl->messageToJnl(jnl, VXSeverityNone, format, 0, ap);
    va_end(ap);
}

void reportStatus(VXHndlp h, VXStatus status)
{
    if (VXJnlh jnl = journal(h)) vxlStatusToJnl(jnl, VXSeverityError, status);
}

/* A host failure other than "absent": what failed, on which entry, in which
 * of our functions, then the host's own status. */
void reportFailure(VXHndlp h, const VXChar* operation, const VXChar* name, int name_l,
                   const char* function, VXStatus status)
{
    VXJnlh jnl = journal(h);
    if (!jnl) return;
    VXStatus s = vxlMessageToJnl(jnl, VXSeverityError, VXT("%s failed for %.*S in %hs"), 0, operation,
                                 name_l, name, function);
    if (s != 0) vxlStatusToJnl(jnl, VXSeverityError, s);
    vxlStatusToJnl(jnl, VXSeverityError, status);
}

const VXChar* const kGet = VXT("vxNameValueGet");
const VXChar* const kSet = VXT("vxNameValueSet");

bool usable(VXHndlp h) { return h && h->nameGet && h->nameSet && h->nameExists; }

/* Reads a text entry into result (capacity result_l units with the
 * terminator) and returns its length; failures are reported as those of
 * `function`. */
int readText(VXHndlp h, VXChar* name, int nl, VXChar* result, int result_l, const char* function)
{
    result[0] = 0;
    if (result_l <= 1) return 0;
    VXMemSize size = static_cast<VXMemSize>(result_l - 1) * sizeof(VXChar);
    VXStatus s = h->nameGet(h, name, nl, VXNameString, result, &size);
    if (s != 0) {
        result[0] = 0;
        if (s != VX_STATUS_NOT_FOUND) reportFailure(h, kGet, name, nl, function, s);
        return 0;
    }
    int n = static_cast<int>(size / sizeof(VXChar));
    if (n > result_l - 1) n = result_l - 1;
    int len = 0;
    while (len < n && result[len]) ++len;
    result[len] = 0;
    return len;
}

/* Fixed-width decimal of v as VXChar; returns the length. */
int formatLong(QORLONG v, VXChar* out)
{
    VXChar digits[24];
    int n = 0;
    unsigned long long u = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do {
        digits[n++] = static_cast<VXChar>('0' + u % 10);
        u /= 10;
    } while (u);
    int len = 0;
    if (v < 0) out[len++] = '-';
    while (n) out[len++] = digits[--n];
    out[len] = 0;
    return len;
}

/* VXChar to 8-bit text in the active encoding; where no pipeline exists the
 * text is written as UTF-8 under a UTF-8 session and as Latin-1 otherwise,
 * with '?' for what Latin-1 cannot hold. */
int narrow(const VXChar* in, int n, char* out, int capacity)
{
    if (VXNLSPipelineh p = zSessFromVXChar()) {
        VXMemSize written = 0;
        p->Transcode(p, in, static_cast<VXMemSize>(n) * sizeof(VXChar), out, static_cast<VXMemSize>(capacity),
                     &written, 0);
        return written > static_cast<VXMemSize>(capacity) ? capacity : static_cast<int>(written);
    }
    bool utf8 = zSessCei() == U_UTF8_CE;
    int len = 0;
    for (int i = 0; i < n; ++i) {
        VXChar c = in[i];
        unsigned char b[4];
        int k = 0;
        if (c < 0x80 || !utf8) {
            b[k++] = static_cast<unsigned char>(c < 0x100 ? c : '?');
        } else if (c < 0x800) {
            b[k++] = static_cast<unsigned char>(0xC0 | (c >> 6));
            b[k++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            b[k++] = static_cast<unsigned char>(0xE0 | (c >> 12));
            b[k++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            b[k++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            b[k++] = static_cast<unsigned char>(0xF0 | (c >> 18));
            b[k++] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            b[k++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            b[k++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else {
            b[k++] = '?';
        }
        if (len + k > capacity) break; /* never split a character */
        for (int j = 0; j < k; ++j) out[len++] = static_cast<char>(b[j]);
    }
    return len;
}

/* The count-down is a read and a write of a registry entry, and the host
 * offers no atomic update; every thread that reports a message runs it, so
 * without a lock two threads read the same value and one message goes
 * uncounted.  One lock for the whole module serialises it.  It holds no
 * data (the counts stay in the registry, as they always were) and needs no
 * set-up: constant-initialised, so it works before the entry function has
 * run and with any number of hosts. */
constinit std::mutex gLimitLock;

} // namespace

extern "C" {

VXAPI int vxnrtget(VXChar* name, int name_l, VXChar* result, int result_l)
{
    VXHndlp h = Exported_VXHandle;
    if (result && result_l > 0) result[0] = 0;
    if (!name || !result || result_l <= 0 || !usable(h)) return 0;
    bool dbg = debugging(h);
    int nl = textLength(name, name_l);
    int len = readText(h, name, nl, result, result_l, "vxnrtget");
    if (dbg) trace(h, VXT("%hs(%.*S)='%s'"), "vxnrtget", nl, name, result);
    return len;
}

/* The host stores text as VXChar, so the entry is read as VXChar and
 * converted.  The module's own entries are short keywords and fit the stack
 * buffer; a value that fills it is read again into a buffer of the
 * caller's size from a scratch host pool (every code unit makes at least
 * one byte, so result_l - 1 units are all that can fit), and only when that
 * cannot be had is it cut to the stack buffer. */
VXAPI int vxnrcget(VXChar* name, int name_l, char* result, int result_l)
{
    constexpr int kNarrowLocal = 512;
    VXHndlp h = Exported_VXHandle;
    if (result && result_l > 0) result[0] = 0;
    if (!name || !result || result_l <= 0 || !usable(h)) return 0;
    bool dbg = debugging(h);
    int nl = textLength(name, name_l);
    int len = 0;
    if (result_l > 1) {
        VXChar local[kNarrowLocal + 1];
        const int cap = result_l - 1;
        int n = readText(h, name, nl, local, (cap < kNarrowLocal ? cap : kNarrowLocal) + 1, "vxnrcget");
        VXChar* wide = local;
        VXPoolh scratch = nullptr; /* a pool of its own: released with everything in it */
        if (n == kNarrowLocal && cap > kNarrowLocal && h->poolCreate) {
            VXPoolParms parms{0, 0, nullptr};
            scratch = h->poolCreate(h, &parms, nullptr, "VXNRTEXT");
            auto* all = scratch ? static_cast<VXChar*>(scratch->memAlloc(
                                      scratch, (static_cast<VXMemSize>(cap) + 1) * sizeof(VXChar), 0))
                                : nullptr;
            if (all) {
                wide = all;
                n = readText(h, name, nl, wide, cap + 1, "vxnrcget");
            }
        }
        len = narrow(wide, n, result, cap);
        if (scratch) scratch->destroy(scratch);
    }
    result[len] = 0;
    if (dbg) trace(h, VXT("%hs(%.*S)='%hs'"), "vxnrcget", nl, name, result);
    return len;
}

VXAPI QORLONG vxnrlget(VXChar* name, int name_l, QORLONG defval)
{
    VXHndlp h = Exported_VXHandle;
    if (!name || !usable(h)) return defval;
    bool dbg = debugging(h);
    int nl = textLength(name, name_l);

    QORLONG value = defval;
    VXMemSize size = sizeof value;
    VXStatus s = h->nameGet(h, name, nl, VXNameQORLong, &value, &size);
    if (s == VX_STATUS_WRONG_KIND || s == VX_STATUS_UNSUPPORTED) {
        value = defval;
        if (dbg) reportStatus(h, s);
        VXChar text[kTextFallback];
        int tl = vxnrtget(name, name_l, text, kTextFallback);
        if (tl > 0) {
            QORLONG parsed = vxnrstol(text);
            if (parsed == kNotANumber) {
                if (VXJnlh jnl = journal(h))
                    vxlStatusToJnl(jnl, VXSeverityError, VXNR_M_NOT_INTEGER, tl, text, nl, name,
                                   static_cast<long long>(kNotANumber), static_cast<long long>(-kNotANumber));
            } else {
                value = parsed;
            }
        } else {
            reportFailure(h, kGet, name, nl, "vxnrlget", s);
        }
    } else if (s != 0) {
        value = defval;
        if (s != VX_STATUS_NOT_FOUND) reportFailure(h, kGet, name, nl, "vxnrlget", s);
    }
    if (dbg) trace(h, VXT("%hs(%.*S)=%lli"), "vxnrlget", nl, name, static_cast<long long>(value));
    return value;
}

VXAPI double vxnrdget(VXChar* name, int name_l, double defval)
{
    VXHndlp h = Exported_VXHandle;
    if (!name || !usable(h)) return defval;
    bool dbg = debugging(h);
    int nl = textLength(name, name_l);

    double value = defval;
    VXMemSize size = sizeof value;
    VXStatus s = h->nameGet(h, name, nl, VXNameDouble, &value, &size);
    if (s != 0) {
        value = defval;
        if (s != VX_STATUS_NOT_FOUND) reportFailure(h, kGet, name, nl, "vxnrdget", s);
    }
    if (dbg) trace(h, VXT("%hs(%.*S)=%20g"), "vxnrdget", nl, name, value);
    return value;
}

VXAPI QORLONG vxnrstol(VXChar* text)
{
    if (!text) return kNotANumber;
    const VXChar* p = text;
    while (*p == kBlank) ++p;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    } else if (*p == '+') {
        ++p;
    }
    if (*p < '0' || *p > '9') return kNotANumber;
    double v = 0.0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = 10.0 * v + static_cast<double>(*p - '0');
        if (v > kTwo53) return negative ? kNotANumber : -kNotANumber;
    }
    if (*p == '.') {
        ++p;
        while (*p == '0') ++p;
    }
    while (*p == kBlank) ++p;
    if (*p) return kNotANumber;
    QORLONG r = static_cast<QORLONG>(v);
    return negative ? -r : r;
}

VXAPI int vxnrlook(VXChar* name, int name_l, int defval, ...)
{
    VXHndlp h = Exported_VXHandle;
    if (!name || !usable(h)) return defval;
    bool dbg = debugging(h);
    int nl = textLength(name, name_l);

    VXChar text[kTextFallback];
    int tl = vxnrtget(name, name_l, text, kTextFallback);
    while (tl > 0 && text[tl - 1] == kBlank) --tl;
    text[tl] = 0;
    for (int i = 0; i < tl; ++i) text[i] = vxUpperCase(text[i]);

    int result = defval;
    if (tl > 0) {
        bool matched = false;
        va_list ap;
        va_start(ap, defval);
        for (;;) {
            const VXChar* keyword = va_arg(ap, const VXChar*);
            if (!keyword) break;
            int value = va_arg(ap, int);
            int kl = textLength(keyword, 0);
            bool same = kl == tl;
            for (int i = 0; same && i < kl; ++i) same = keyword[i] == text[i];
            if (dbg)
                trace(h, same ? VXT("%hs(%.*S) '%.*S' == '%.*S' %i") : VXT("%hs(%.*S) '%.*S' != '%.*S' %i"),
                      "vxnrlook", nl, name, tl, text, kl, keyword, value);
            if (same) {
                result = value;
                matched = true;
                break;
            }
        }
        va_end(ap);
        /* The entry is cleared only once its value has been reported, so
         * without a journal a wrong value stays for the user to see. */
        if (!matched) {
            if (VXJnlh jnl = journal(h)) {
                vxlStatusToJnl(jnl, VXSeverityError, VXNR_M_NOT_KEYWORD, tl, text, nl, name);
                VXChar empty[1] = {0};
                vxnrtset(name, name_l, empty, 0);
            }
        }
    }
    if (dbg) trace(h, VXT("%hs(%.*S)=%i '%.*S'"), "vxnrlook", nl, name, result, tl, text);
    return result;
}

VXAPI int vxnrlimit(VXChar* name, int name_l, QORLONG limit)
{
    auto asInt = [](QORLONG v) {
        return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
    };
    VXHndlp h = Exported_VXHandle;
    if (!name || !usable(h)) return asInt(limit);
    const std::lock_guard<std::mutex> serialised(gLimitLock);
    bool dbg = debugging(h);
    int nl = textLength(name, name_l);

    if (!h->nameExists(h, name, nl)) {
        vxnrlset(name, name_l, limit);
        return asInt(limit);
    }
    constexpr QORLONG kUnreadable = -666;
    QORLONG value = vxnrlget(name, name_l, kUnreadable);
    QORLONG count;
    if (value == kUnreadable) {
        count = 99;
        if (dbg)
            if (VXJnlh jnl = journal(h))
                vxlMessageToJnl(jnl, VXSeverityError,
                                VXT("vxNameValueGet failed for %.*S in %hs. The existing value may not be a "
                                    "VXChar string or QORLONG."),
                                0, nl, name, "vxnrlimit");
    } else {
        count = value < 0 ? -1 : value - 1;
        if (value == 1)
            if (VXJnlh jnl = journal(h)) vxlStatusToJnl(jnl, VXSeverityNote, VXNR_M_LIMIT_REACHED, nl, name);
    }
    if (count < -1) count = -1;
    VXStatus s = vxnrlset(name, name_l, count);
    if (s != 0) reportStatus(h, s);
    if (dbg) trace(h, VXT("%hs(%.*S)=%lli"), "vxnrlimit", nl, name, static_cast<long long>(count));
    return asInt(count);
}

VXAPI VXStatus vxnrtset(VXChar* name, int name_l, VXChar* value, int value_l)
{
    VXHndlp h = Exported_VXHandle;
    if (!name || !usable(h)) return 0;
    /* The switch is asked for as by every registry function (a host may
     * watch for it), though this setter writes no trace either way. */
    (void)debugging(h);
    int nl = textLength(name, name_l);
    static const VXChar kEmpty[1] = {0};
    int vl = value ? textLength(value, value_l) : 0;
    VXStatus s = h->nameSet(h, name, nl, 1, VXNameString, value ? value : kEmpty,
                            static_cast<VXMemSize>(vl) * sizeof(VXChar), nullptr, 0);
    if (s == VX_STATUS_NOT_FOUND) return 0;
    if (s != 0) reportFailure(h, kSet, name, nl, "vxnrtset", s);
    return s;
}

VXAPI VXStatus vxnrlset(VXChar* name, int name_l, QORLONG value)
{
    VXHndlp h = Exported_VXHandle;
    if (!name || !usable(h)) return 0;
    bool dbg = debugging(h);
    int nl = textLength(name, name_l);
    if (dbg) trace(h, VXT("%hs(%.*S)=%lli"), "vxnrlset", nl, name, static_cast<long long>(value));

    VXStatus s = h->nameSet(h, name, nl, 1, VXNameQORLong, &value, sizeof value, nullptr, 0);
    if (s == VX_STATUS_WRONG_KIND || s == VX_STATUS_UNSUPPORTED) {
        VXChar text[24];
        int tl = formatLong(value, text);
        if (dbg) {
            reportStatus(h, s);
            trace(h, VXT("%hs(%.*S)='%.*S'"), "vxnrlset", nl, name, tl, text);
        }
        return vxnrtset(name, name_l, text, tl);
    }
    if (s == VX_STATUS_NOT_FOUND) return 0;
    if (s != 0) reportFailure(h, kSet, name, nl, "vxnrlset", s);
    return s;
}

VXAPI VXStatus vxnrdset(VXChar* name, int name_l, double value)
{
    VXHndlp h = Exported_VXHandle;
    if (!name || !usable(h)) return 0;
    (void)debugging(h); /* asked, no trace: as vxnrtset */
    int nl = textLength(name, name_l);
    VXStatus s = h->nameSet(h, name, nl, 1, VXNameDouble, &value, sizeof value, nullptr, 0);
    if (s == VX_STATUS_NOT_FOUND) return 0;
    if (s != 0) reportFailure(h, kSet, name, nl, "vxnrdset", s);
    return s;
}

} // extern "C"
