/* Method selection: a method name (8-bit or VXChar, any case, blanks around
 * it ignored) or the registry default to a filled generator descriptor.
 * Whatever goes wrong, the descriptor comes back holding MTHYBRID, and the
 * result says why. */
#include <cstring>

#include "subs/vxnls.h"
#include "subs/vxnr.h"
#include "subs/zrng.h"
#include "subs/zrngmsg.h"

namespace {

using Setup = void (*)(zrngptr, uint64_t);

struct MethodName {
    const char32_t* name; /* lower case; compared after folding the input */
    Setup setup;
};

/* Every accepted name and alias, one row each.  Matches are exact in length,
 * so the order within the table decides nothing. */
constexpr MethodName kMethods[] = {
    {U"mthybrid", zrnfMTHYBRID},
    {U"mt1998", zrnfMT1998},
    {U"mt2002", zrnfMT32},
    {U"mt32", zrnfMT32},
    {U"mt64", zrnfMT64},
    {U"mt", zrnfMT64},
    {U"mh3", zrnfMH3},
    {U"pcg32i", zrnfPCG32I},
    {U"pcg64i", zrnfPCG64I},
    {U"pcg", zrnfPCG64I},
    {U"rdrand", zrnfRDRAND},
    {U"hardware", zrnfRDRAND},
    {U"hard", zrnfRDRAND},
    {U"trng", zrnfRDRAND},
    {U"fry2x32", zrnfFRY2X32},
    {U"threefry2x32", zrnfFRY2X32},
    {U"fry2x64", zrnfFRY2X64},
    {U"threefry2x64", zrnfFRY2X64},
    {U"tf2", zrnfFRY2X64}, /* the 2x64 engine, not 2x32 */
    {U"fry4x64", zrnfFRY4X64},
    {U"threefry4x64", zrnfFRY4X64},
    {U"threefry", zrnfFRY4X64},
    {U"tf4", zrnfFRY4X64},
    {U"tf", zrnfFRY4X64},
    {U"xor64", zrnfXOR64},
    {U"xor128", zrnfXOR128},
    {U"xor1024", zrnfXOR1024},
    {U"xor4096", zrnfXOR4096},
    {U"xorgens", zrnfXORGENS},
    {U"subkey32", zrnfSUBKEY32},
    {U"subkey64", zrnfSUBKEY64},
    {U"torvel", zrnfTORVEL},
};

/* Capacity of zrng_vxname without its terminator. */
constexpr int kNameUnits = 15;
/* The registry read keeps one unit less than the descriptor could hold. */
constexpr int kRegistryCapacity = 15;

constexpr char32_t kMethodKey[] = U"OSENV.QOR_RNG_METHOD";
constexpr int kMethodKeyLength = 20;
static_assert(sizeof(kMethodKey) / sizeof(kMethodKey[0]) == kMethodKeyLength + 1);
static_assert(sizeof(char32_t) == sizeof(VXChar));

/* Every name in the table starts with one of these letters; anything else
 * is rejected without walking the table. */
bool plausibleFirst(VXChar c)
{
    switch (c) {
    case 'F': case 'H': case 'M': case 'P': case 'R': case 'S': case 'T': case 'X':
    case 'f': case 'h': case 'm': case 'p': case 'r': case 's': case 't': case 'x':
        return true;
    default:
        return false;
    }
}

Setup lookup(const VXChar* name, int length)
{
    if (length < 1 || !plausibleFirst(name[0])) return nullptr;
    const VXChar first = vxLowerCase(name[0]);
    for (const MethodName& m : kMethods) {
        if (static_cast<VXChar>(m.name[0]) != first) continue;
        int i = 1;
        for (; i < length; ++i)
            if (m.name[i] == 0 || static_cast<VXChar>(m.name[i]) != vxLowerCase(name[i])) break;
        if (i == length && m.name[length] == 0) return m.setup;
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
