/* The name-value registry: typed entries keyed by exact VXChar name.
 *
 * Reading an entry as another kind converts only where no information can
 * be lost or invented: any number reads as text, an integer or a text that
 * is a complete decimal number reads as a double.  An integer is never
 * produced from a double or a text; callers that accept text numbers (the
 * module's registry access) re-read the entry as text and parse it with
 * their own rules. */
#include <algorithm>
#include <charconv>
#include <cstring>

#include "host/host_internal.h"

namespace vxh {
namespace {

bool isBlank(char32_t c) { return c == ' ' || c == '\t'; }

/* [blanks] [+-] digits [. digits] [(e|E) [+-] digits] [blanks], or the same
 * with digits only after the point; nothing else (no hex, inf or nan). */
bool parseDecimal(std::u32string_view t, double* out)
{
    size_t b = 0, e = t.size();
    while (b < e && isBlank(t[b])) ++b;
    while (e > b && isBlank(t[e - 1])) --e;
    std::string s;
    for (size_t i = b; i < e; ++i) {
        if (t[i] >= 0x80) return false;
        s += static_cast<char>(t[i]);
    }
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const size_t numberStart = i;
    size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != s.size()) return false;
    double v = 0.0;
    auto r = std::from_chars(s.data() + numberStart, s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
    *out = negative ? -v : v;
    return true;
}

/* Out of line: inlined into nameSet, GCC 12 reports a false overlap (-Wrestrict). */
[[gnu::noinline]] std::u32string textCopy(const char32_t* t, size_t len) { return std::u32string(t, len); }

std::u32string nameOf(const VXChar* name, VXStrSize name_l)
{
    std::u32string_view v = vxView(name, name_l);
    return std::u32string(v);
}

VXBoolean nameExists(VXHndlp h, const VXChar* name, VXStrSize name_l)
{
    if (!h || !name) return 0;
    Host* host = fromHandle(h);
    if (host->registry.failStatus.load() != 0) return 0;
    try {
        std::u32string key = nameOf(name, name_l);
        std::lock_guard<std::mutex> g(host->registry.mu);
        return host->registry.entries.count(key) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

VXStatus copyText(const std::u32string& text, void* buffer, VXMemSize* size)
{
    size_t units = std::min(text.size(), *size / sizeof(VXChar));
    if (units > 0) std::memcpy(buffer, text.data(), units * sizeof(VXChar));
    *size = units * sizeof(VXChar);
    return 0;
}

VXStatus copyNumber(const void* value, size_t bytes, void* buffer, VXMemSize* size)
{
    if (*size < bytes) return VXHOST_STATUS_BAD_SIZE;
    std::memcpy(buffer, value, bytes);
    *size = bytes;
    return 0;
}

VXStatus nameGet(VXHndlp h, const VXChar* name, VXStrSize name_l, int32_t kind, void* buffer,
                 VXMemSize* size)
{
    if (!h || !name || !size || (!buffer && *size > 0)) return VX_STATUS_NULL_ARGUMENT;
    Host* host = fromHandle(h);
    if (VXStatus f = host->registry.failStatus.load()) return f;
    if (kind != VXNameDouble && kind != VXNameQORLong && kind != VXNameString)
        return VX_STATUS_UNSUPPORTED;
    try {
        std::u32string key = nameOf(name, name_l);
        std::lock_guard<std::mutex> g(host->registry.mu);
        auto it = host->registry.entries.find(key);
        if (it == host->registry.entries.end()) return VX_STATUS_NOT_FOUND;
        const RegistryEntry& e = it->second;
        switch (kind) {
        case VXNameDouble: {
            double d;
            if (e.kind == VXNameDouble) d = e.d;
            else if (e.kind == VXNameQORLong) d = static_cast<double>(e.l);
            else if (!parseDecimal(e.s, &d)) return VX_STATUS_WRONG_KIND;
            return copyNumber(&d, sizeof d, buffer, size);
        }
        case VXNameQORLong:
            if (e.kind != VXNameQORLong) return VX_STATUS_WRONG_KIND;
            return copyNumber(&e.l, sizeof e.l, buffer, size);
        default:
            return copyText(e.kind == VXNameString ? e.s : numberText(e), buffer, size);
        }
    } catch (...) {
        return VX_STATUS_NULL_ARGUMENT;
    }
}

/* Flags (persistence and scope in the kernel) do not change what is stored
 * here; every entry lives as long as the host. */
VXStatus nameSet(VXHndlp h, const VXChar* name, VXStrSize name_l, VXFlags /*flags*/, int32_t kind,
                 const void* value, VXMemSize size, void* /*reserved*/, int32_t /*reserved_l*/)
{
    if (!h || !name) return VX_STATUS_NULL_ARGUMENT;
    Host* host = fromHandle(h);
    if (VXStatus f = host->registry.failStatus.load()) return f;
    try {
        std::u32string key = nameOf(name, name_l);
        if (key.empty()) return VX_STATUS_NULL_ARGUMENT;
        RegistryEntry e;
        e.kind = kind;
        switch (kind) {
        case VXNameDouble:
        case VXNameQORLong:
            if (!value) return VX_STATUS_NULL_ARGUMENT;
            if (size != 0 && size != 8) return VXHOST_STATUS_BAD_SIZE;
            if (kind == VXNameDouble) std::memcpy(&e.d, value, 8);
            else std::memcpy(&e.l, value, 8);
            break;
        case VXNameString:
            if (size % sizeof(VXChar) != 0) return VXHOST_STATUS_BAD_SIZE;
            if (value) {
                const auto* t = static_cast<const char32_t*>(value);
                size_t n = size / sizeof(VXChar);
                /* A text ends at its first NUL, whatever size the caller gave. */
                size_t len = 0;
                while (len < n && t[len]) ++len;
                e.s = textCopy(t, len);
            }
            break;
        default:
            return VX_STATUS_UNSUPPORTED;
        }
        std::lock_guard<std::mutex> g(host->registry.mu);
        host->registry.entries[std::move(key)] = std::move(e);
        return 0;
    } catch (...) {
        return VX_STATUS_NULL_ARGUMENT;
    }
}

std::u32string keyFromUtf8(const char* name) { return utf8ToU32(name ? name : ""); }

} // namespace

std::u32string numberText(const RegistryEntry& e)
{
    char buf[64];
    std::to_chars_result r;
    if (e.kind == VXNameDouble) r = std::to_chars(buf, buf + sizeof buf, e.d); /* shortest round trip */
    else r = std::to_chars(buf, buf + sizeof buf, e.l);
    return std::u32string(buf, r.ptr);
}

VXStatus registryRemove(Host* host, const std::u32string& name)
{
    std::lock_guard<std::mutex> g(host->registry.mu);
    return host->registry.entries.erase(name) ? 0 : VX_STATUS_NOT_FOUND;
}

bool registryPeek(Host* host, const std::u32string& name, RegistryEntry* out)
{
    std::lock_guard<std::mutex> g(host->registry.mu);
    auto it = host->registry.entries.find(name);
    if (it == host->registry.entries.end()) return false;
    *out = it->second;
    return true;
}

void registryInit(Host* host)
{
    host->nameExists = nameExists;
    host->nameGet = nameGet;
    host->nameSet = nameSet;
}

} // namespace vxh

using namespace vxh;

/* The UTF-8 functions call the host's registry operations (not whatever a
 * test has swapped into the handle), so a forced registry failure applies
 * to them as it does to the module; only the
 * read-back helpers (exists, kind, get_text, count) look at the entries
 * directly, so that tests can inspect a registry they made fail. */
extern "C" {

VXStatus vxhost_set_text(VXHost* host, const char* name, const char* value)
{
    if (!host || !name) return VX_STATUS_NULL_ARGUMENT;
    try {
        std::u32string k = keyFromUtf8(name);
        std::u32string v = utf8ToU32(value ? value : "");
        return nameSet(host, reinterpret_cast<const VXChar*>(k.c_str()), 0, 1, VXNameString,
                       v.c_str(), v.size() * sizeof(VXChar), nullptr, 0);
    } catch (...) {
        return VX_STATUS_NULL_ARGUMENT;
    }
}

VXStatus vxhost_set_long(VXHost* host, const char* name, int64_t value)
{
    if (!host || !name) return VX_STATUS_NULL_ARGUMENT;
    try {
        std::u32string k = keyFromUtf8(name);
        return nameSet(host, reinterpret_cast<const VXChar*>(k.c_str()), 0, 1, VXNameQORLong, &value,
                       8, nullptr, 0);
    } catch (...) {
        return VX_STATUS_NULL_ARGUMENT;
    }
}

VXStatus vxhost_set_double(VXHost* host, const char* name, double value)
{
    if (!host || !name) return VX_STATUS_NULL_ARGUMENT;
    try {
        std::u32string k = keyFromUtf8(name);
        return nameSet(host, reinterpret_cast<const VXChar*>(k.c_str()), 0, 1, VXNameDouble, &value,
                       8, nullptr, 0);
    } catch (...) {
        return VX_STATUS_NULL_ARGUMENT;
    }
}

VXStatus vxhost_remove(VXHost* host, const char* name)
{
    if (!host || !name) return VX_STATUS_NULL_ARGUMENT;
    if (VXStatus f = host->registry.failStatus.load()) return f;
    try {
        return registryRemove(host, keyFromUtf8(name));
    } catch (...) {
        return VX_STATUS_NULL_ARGUMENT;
    }
}

int vxhost_exists(VXHost* host, const char* name) { return vxhost_kind(host, name) != 0; }

int vxhost_kind(VXHost* host, const char* name)
{
    if (!host || !name) return 0;
    try {
        RegistryEntry e;
        return registryPeek(host, keyFromUtf8(name), &e) ? e.kind : 0;
    } catch (...) {
        return 0;
    }
}

int vxhost_get_text(VXHost* host, const char* name, char* buf, size_t capacity)
{
    if (!host || !name) return -1;
    try {
        RegistryEntry e;
        if (!registryPeek(host, keyFromUtf8(name), &e)) return -1;
        std::string text = u32ToUtf8(e.kind == VXNameString ? e.s : numberText(e));
        if (buf && capacity > 0) {
            size_t n = std::min(text.size(), capacity - 1);
            while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
            text.copy(buf, n);
            buf[n] = 0;
        }
        return static_cast<int>(text.size());
    } catch (...) {
        return -1;
    }
}

VXStatus vxhost_get_long(VXHost* host, const char* name, int64_t* value)
{
    if (!host || !name || !value) return VX_STATUS_NULL_ARGUMENT;
    try {
        std::u32string k = keyFromUtf8(name);
        int64_t v = 0;
        VXMemSize size = sizeof v;
        VXStatus s = nameGet(host, reinterpret_cast<const VXChar*>(k.c_str()), 0, VXNameQORLong, &v, &size);
        if (s == 0) *value = v;
        return s;
    } catch (...) {
        return VX_STATUS_NULL_ARGUMENT;
    }
}

VXStatus vxhost_get_double(VXHost* host, const char* name, double* value)
{
    if (!host || !name || !value) return VX_STATUS_NULL_ARGUMENT;
    try {
        std::u32string k = keyFromUtf8(name);
        double v = 0;
        VXMemSize size = sizeof v;
        VXStatus s = nameGet(host, reinterpret_cast<const VXChar*>(k.c_str()), 0, VXNameDouble, &v, &size);
        if (s == 0) *value = v;
        return s;
    } catch (...) {
        return VX_STATUS_NULL_ARGUMENT;
    }
}

void vxhost_registry_fail(VXHost* host, VXStatus status)
{
    if (host) host->registry.failStatus.store(status);
}

size_t vxhost_registry_count(VXHost* host)
{
    if (!host) return 0;
    std::lock_guard<std::mutex> g(host->registry.mu);
    return host->registry.entries.size();
}

} // extern "C"
