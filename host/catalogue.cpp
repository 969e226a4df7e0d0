/* The message catalogue: one format per code, taking exactly the arguments
 * the code is issued with, in that order.
 *
 * Argument conventions of the module's codes: seeds and keys passed as
 * doubles print with %.17g so that no digit of the caller's value is lost;
 * seeds, keys and maxima passed as uint64 print with %llu (and once more in
 * hexadecimal where the module passes them twice); method names held by a
 * stream are VXChar (%s), engine names and labels are 8-bit (%hs); registry
 * names and texts come as (length, text) pairs (%.*S). */
#include "host/host_internal.h"

namespace vxh {
namespace {

struct Message {
    uint32_t code;
    const char* text;
};

constexpr Message kCatalogue[] = {
    /* stream statuses (no arguments) */
    {0x8C7FE80Au, "The random number stream has not been initialized."},
    {0x8C7FE80Bu, "The random number method name is not recognised; MTHYBRID is used instead."},
    {0x8C7FE80Cu,
     "The random number method is not available on this system; MTHYBRID is used instead."},
    {0x8C7FE80Du, "The random number method takes no seed; the seed is ignored."},
    {0x8C7FE80Fu, "The random number method takes no key; the key is ignored."},
    {0x8C7FE810u, "The random number key is not valid for the method."},

    /* stream initialization */
    {0x8C7FE817u, "The seed %.17g is ignored because the random number method %s takes no seed."},
    {0x8C7FE818u,
     "The seed %.17g is not a whole number from 1 to %llu as method %s requires; "
     "the seed %llu (0x%llX) is used instead."},
    {0x8C7FE819u,
     "The seed %.17g was converted to a value outside the range 1 to %.17g: %.17g."},
    {0x8C7FE81Au, "The key %.17g is ignored because the random number method %s takes no key."},
    {0x8C7FE81Bu,
     "The key %.17g is not a whole number from 0 to %llu as method %s requires; "
     "the key is not changed."},
    {0x8C7FE81Cu, "The key %llu is larger than the maximum %llu of random number method %s."},
    {0x8C7FE828u, "Random number method %hs."},
    {0x8C7FE829u, "Random number method %hs with seed %llu (0x%llX)."},
    {0x8C7FE82Au, "Random number method %hs with seed %llu (0x%llX) and key %llu (0x%llX)."},

    /* engine traces */
    {0x8C7FE851u, "Random number engine %hs is set up."},
    {0x8C7FE852u, "Random number engine %hs keeps %zu bytes of state."},

    /* registry access */
    {0x8C7FE8C8u,
     "The value '%.*S' of registry entry %.*S is not an integer from %lli to %lli; "
     "the default is used."},
    {0x8C7FE8C9u,
     "The value '%.*S' of registry entry %.*S is not one of the accepted keywords; "
     "the entry is cleared and the default is used."},
    {0x8C7FE8CAu,
     "The message limit %.*S is reached; further messages of this kind are not shown."},

    /* host statuses */
    {0x803FC002u, "A required argument is missing or memory could not be allocated."},
    {0x803FC009u, "The request is not supported."},
    {0x803FC011u, "The output did not fit into the space provided; the result is incomplete."},
    {0x803FC012u, "The text is not valid in its encoding; invalid parts were replaced."},
    {0x803FC013u, "The lock is already held."},
    {0x803FC014u, "The lock is released by a thread that does not hold it."},
    {0x803FC015u, "The value size does not fit the kind of the registry entry."},
    {0x803FC016u, "The journal could not be written."},
    {0x803FC264u, "The registry entry holds a value of another kind."},
    {0x803FC26Au, "The registry entry does not exist."},
};

} // namespace

const char* catalogueLookup(VXStatus code)
{
    for (const Message& m : kCatalogue)
        if (m.code == static_cast<uint32_t>(code)) return m.text;
    return nullptr;
}

} // namespace vxh

extern "C" const char* vxhost_catalogue_text(VXStatus code) { return vxh::catalogueLookup(code); }
