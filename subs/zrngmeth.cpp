/* Method selection: a method name (8-bit or VXChar, any case, blanks around
 * it ignored) or the registry default to a filled generator descriptor.
 * Whatever goes wrong, the descriptor comes back holding MTHYBRID, and the
 * result says why. */
#include <cstring>

#include "subs/engines/zrnglist.h"
#include "subs/vxnls.h"
#include "subs/vxcasemap.h"
#include "subs/vxnr.h"
#include "subs/zrng.h"
#include "subs/zrngmsg.h"

namespace {

using Setup = void (*)(zrngptr, uint64_t);

/* An engine's name and aliases, upper case as the list has them.  A row
 * with more names than this fails to compile (too many initializers). */
constexpr int kMaxNames = 6;

struct MethodNames {
    Setup setup;
    const char* names[kMaxNames]; /* unused entries are null */
};

/* One row per engine of subs/engines/zrnglist.h.  A set-up function the
 * public header does not declare fails to compile here. */
#define VX_METHOD_ROW(NAME, ...) {zrnf##NAME, {#NAME, __VA_ARGS__}},
constexpr MethodNames kMethods[] = {VX_ENGINE_LIST(VX_METHOD_ROW)};
#undef VX_METHOD_ROW

/* Capacity of zrng_vxname without its terminator. */
constexpr int kNameUnits = 15;
/* The registry read keeps one unit less than the descriptor could hold. */
constexpr int kRegistryCapacity = 15;

/* Every name must be matchable: 1 to 15 upper-case letters and digits,
 * beginning with a letter. */
constexpr bool namesMatchable()
{
    for (const MethodNames& m : kMethods)
        for (const char* n : m.names) {
            if (n == nullptr) continue;
            if (n[0] < 'A' || n[0] > 'Z') return false;
            int length = 0;
            for (; n[length] != '\0'; ++length)
                if (!((n[length] >= 'A' && n[length] <= 'Z') || (n[length] >= '0' && n[length] <= '9'))) return false;
            if (length > kNameUnits) return false;
        }
    return true;
}
static_assert(namesMatchable(), "method names are 1 to 15 upper-case letters and digits, beginning with a letter");

/* Bit c - 'A' for every letter c that begins a name. */
constexpr uint32_t kFirstLetters = [] {
    uint32_t mask = 0;
    for (const MethodNames& m : kMethods)
        for (const char* n : m.names)
            if (n != nullptr) mask |= 1u << (n[0] - 'A');
    return mask;
}();

constexpr char32_t kMethodKey[] = U"OSENV.QOR_RNG_METHOD";
constexpr int kMethodKeyLength = 20;
static_assert(sizeof(kMethodKey) / sizeof(kMethodKey[0]) == kMethodKeyLength + 1);
static_assert(sizeof(char32_t) == sizeof(VXChar));

/* A name is rejected at once unless its first unit, as given and in either
 * case, begins some name in the table (today F, H, M, P, R, S, T or X). */
bool plausibleFirst(VXChar c)
{
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    return c >= 'A' && c <= 'Z' && (kFirstLetters >> (c - 'A') & 1u) != 0;
}

/* Matches are exact in length and blind to case: each input unit folded by
 * the case mapping against the table's letter in lower case. */
Setup lookup(const VXChar* name, int length)
{
    if (length < 1 || length > kNameUnits || !plausibleFirst(name[0])) return nullptr;
    VXChar folded[kNameUnits];
    for (int i = 0; i < length; ++i) folded[i] = vxLowerCase(name[i]);
    for (const MethodNames& m : kMethods)
        for (const char* n : m.names) {
            if (n == nullptr) continue;
            int i = 0;
            while (i < length && n[i] != '\0' &&
                   static_cast<VXChar>((n[i] >= 'A' && n[i] <= 'Z') ? n[i] - 'A' + 'a' : n[i]) == folded[i])
                ++i;
            if (i == length && n[i] == '\0') return m.setup;
        }
    return nullptr;
}

/* Trailing blanks first, then leading; only U+0020 counts as a blank. */
template <class Unit>
void trim(const Unit*& text, int& length)
{
    while (length > 0 && text[length - 1] == static_cast<Unit>(0x20)) --length;
    while (length > 0 && text[0] == static_cast<Unit>(0x20)) {
        ++text;
        --length;
    }
}

VXStatus fallBack(zrngptr q, uint64_t flags, VXStatus why)
{
    zrnfMTHYBRID(q, flags);
    return why;
}

} // namespace

extern "C" VXAPI VXStatus zrngmeth(char* name, int name_l, ZRNG_S* q, uint64_t flags)
{
    if (q == nullptr) return 0;
    int length = name == nullptr ? 0 : name_l;

    VXChar* units = q->zrng_vxname;
    if ((flags & 0x1u) == 0) {
        const char* text = name;
        if (length < 0) length = static_cast<int>(std::strlen(text));
        trim(text, length);
        if (length > kNameUnits) return fallBack(q, flags, ZRNG_S_BAD_METHOD);
        if (length > 0) {
            /* The transcoder writes at most one unit per byte, so the 15
             * units of zrng_vxname always suffice; clamp all the same. */
            length = zCharToVXChar(const_cast<char*>(text), units, length);
            if (length < 0) length = 0;
            if (length > kNameUnits) length = kNameUnits;
        }
    } else {
        const VXChar* text = reinterpret_cast<const VXChar*>(name);
        if (length < 0) {
            length = 0;
            while (text[length] != 0) ++length;
        }
        trim(text, length);
        if (length > kNameUnits) return fallBack(q, flags, ZRNG_S_BAD_METHOD);
        std::memmove(units, text, static_cast<size_t>(length) * sizeof(VXChar));
    }
    units[length] = 0;

    if (length == 0) {
        /* The registry value is used as it stands: no trimming, so a blank
         * before or after the name makes it unknown. */
        length = vxnrtget(reinterpret_cast<VXChar*>(const_cast<char32_t*>(kMethodKey)), kMethodKeyLength, units,
                          kRegistryCapacity);
        if (length < 0) length = 0;
        if (length > kRegistryCapacity - 1) length = kRegistryCapacity - 1;
        units[length] = 0;
        if (length == 0) return fallBack(q, flags, 0);
    }

    /* Looked up on a copy: the descriptor is cleared before the set-up runs,
     * so an engine whose set-up installs nothing leaves no stale fields. */
    VXChar wanted[kNameUnits + 1];
    std::memcpy(wanted, units, sizeof(wanted));
    Setup setup = lookup(wanted, length);
    if (setup == nullptr) return fallBack(q, flags, ZRNG_S_BAD_METHOD);

    std::memset(static_cast<void*>(q), 0, sizeof(*q));
    setup(q, flags);
    if (q->zrng_state_size != 0) return 0;
    return fallBack(q, flags, ZRNG_S_NO_ENGINE);
}
