/* Complete checkpoints of a variate generator (MERSENNE_RAND): everything a
 * later draw of any kind depends on, as bytes, and back.
 *
 * The engine's state import (zrng_state) takes only the generator words, so
 * a stream restored through it continues identically only at a block
 * boundary.  A checkpoint carries the whole engine record with its read
 * position and buffered outputs, the stream's seed, key and thread (so that
 * a rewind after restoring goes where the original's would), whether it
 * draws crude uniforms, and every sampler's saved set-up including a waiting
 * normal deviate.
 *
 * Format, version 1, in the byte order of the machine that wrote it:
 *
 *   offset  size  field
 *        0     8  "VXALEACP"
 *        8     4  format version (1)
 *       12     4  0x01020304, to recognise another byte order
 *       16    16  engine name (zrng_name), NUL-padded
 *       32     4  bits per raw output (zrng_bits)
 *       36     4  flags: 0x1 the stream draws crude uniforms
 *       40     8  B, the engine record's size (the stream's BlobSize)
 *       48     B  the engine record
 *   48 + B   ...  Seed, Key, Thread, InitialSeed, finalSeed (uint64);
 *                 UserSeed, UserKey (double); then the samplers' records
 *                 field by field in declaration order, without padding:
 *                 nor, gam, bet, bin, poi (see subs/zrand.h)
 *
 * Restoring needs a record already set up on the same engine (the header's
 * engine names it), and changes nothing unless every check passes.  Works on
 * the C record alone, so the C++ layer, the command-line tool and the Python
 * package share it. */
#ifndef VXALEA_CHECKPOINT_HPP
#define VXALEA_CHECKPOINT_HPP

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "subs/zrand.h"

namespace vxalea::checkpoint {

inline constexpr char magic[8] = {'V', 'X', 'A', 'L', 'E', 'A', 'C', 'P'};
inline constexpr uint32_t format_version = 1;
inline constexpr uint32_t byte_order_mark = 0x01020304u;
inline constexpr uint32_t flag_crude = 0x1u;
inline constexpr size_t header_size = 48;

struct header {
    uint32_t version = 0;
    std::string engine;
    uint32_t bits = 0;
    uint32_t flags = 0;
    uint64_t blob_size = 0;
};

namespace detail {

/* The samplers' records and the stream's fields, in one fixed order, for
 * both directions: f(reference to a field) for each field. */
template <class Q, class F>
void each_field(Q& q, F&& f)
{
    f(q.Seed), f(q.Key), f(q.Thread), f(q.InitialSeed), f(q.finalSeed), f(q.UserSeed), f(q.UserKey);
    f(q.nor.HaveOne), f(q.nor.storedVariate), f(q.nor.savedflag), f(q.nor.norms.savednorm), f(q.nor.norms.norm);
    f(q.gam.alphasave), f(q.gam.a), f(q.gam.b), f(q.gam.c), f(q.gam.d), f(q.gam.dm1), f(q.gam.dinv), f(q.gam.p),
        f(q.gam.k);
    f(q.bet.alphasave), f(q.bet.betasave), f(q.bet.d1), f(q.bet.d2), f(q.bet.d3), f(q.bet.d4), f(q.bet.d5),
        f(q.bet.d6), f(q.bet.d7), f(q.bet.toobig);
    f(q.bin.psave), f(q.bin.mean), f(q.bin.sd), f(q.bin.omega), f(q.bin.b), f(q.bin.c), f(q.bin.nsave),
        f(q.bin.underflow);
    f(q.poi.lambdasave), f(q.poi.test), f(q.poi.savea), f(q.poi.omega), f(q.poi.qm), f(q.poi.pm), f(q.poi.m),
        f(q.poi.flag);
}

inline size_t fields_size()
{
    static const size_t n = [] {
        static const MERSENNE_RAND probe{};
        size_t sum = 0;
        each_field(probe, [&](const auto& v) { sum += sizeof v; });
        return sum;
    }();
    return n;
}

template <class T>
void put(std::vector<std::byte>& out, const T& v)
{
    const auto* p = reinterpret_cast<const std::byte*>(&v);
    out.insert(out.end(), p, p + sizeof v);
}

template <class T>
T get(const std::byte* at)
{
    T v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

inline std::string_view name_of(const char (&field)[16])
{
    return {field, strnlen(field, sizeof field)};
}

inline bool refuse(std::string* why, std::string text)
{
    if (why) *why = std::move(text);
    return false;
}

} // namespace detail

/* The checkpoint of an initialized record. */
inline std::vector<std::byte> save(const MERSENNE_RAND& q)
{
    const ZRNG_S& d = *q.Functions;
    std::vector<std::byte> out;
    out.reserve(header_size + q.BlobSize + detail::fields_size());
    out.insert(out.end(), reinterpret_cast<const std::byte*>(magic), reinterpret_cast<const std::byte*>(magic) + 8);
    detail::put(out, format_version);
    detail::put(out, byte_order_mark);
    char name[16] = {};
    std::memcpy(name, d.zrng_name, detail::name_of(d.zrng_name).size());
    out.insert(out.end(), reinterpret_cast<const std::byte*>(name), reinterpret_cast<const std::byte*>(name) + 16);
    detail::put(out, d.zrng_bits);
    const bool crude = d.zrng_double_crude && q.rangen == d.zrng_double_crude;
    detail::put(out, crude ? flag_crude : 0u);
    detail::put(out, static_cast<uint64_t>(q.BlobSize));
    const auto* blob = static_cast<const std::byte*>(q.Blob);
    out.insert(out.end(), blob, blob + q.BlobSize);
    detail::each_field(q, [&](const auto& v) { detail::put(out, v); });
    return out;
}

/* The header of bytes, or false with the reason they are not a checkpoint
 * this build reads. */
inline bool read_header(std::span<const std::byte> bytes, header& h, std::string* why = nullptr)
{
    if (bytes.size() < header_size || std::memcmp(bytes.data(), magic, sizeof magic) != 0)
        return detail::refuse(why, "not a vxalea checkpoint");
    const std::byte* p = bytes.data();
    const uint32_t mark = detail::get<uint32_t>(p + 12);
    if (mark != byte_order_mark)
        return detail::refuse(why, "the checkpoint was written on a machine of the other byte order");
    h.version = detail::get<uint32_t>(p + 8);
    if (h.version != format_version)
        return detail::refuse(why, "checkpoint format version " + std::to_string(h.version) +
                                       "; this build reads version " + std::to_string(format_version));
    char name[17] = {};
    std::memcpy(name, p + 16, 16);
    h.engine = name;
    h.bits = detail::get<uint32_t>(p + 32);
    h.flags = detail::get<uint32_t>(p + 36);
    h.blob_size = detail::get<uint64_t>(p + 40);
    const uint64_t body = bytes.size() - header_size;
    if (h.blob_size > body || body - h.blob_size != detail::fields_size())
        return detail::refuse(why, "the checkpoint of engine " + h.engine + " is truncated or has extra bytes");
    return true;
}

/* Makes q continue exactly as the record the bytes were saved from.  q must
 * be an initialized record of the same engine; nothing changes on failure. */
inline bool restore(MERSENNE_RAND& q, std::span<const std::byte> bytes, std::string* why = nullptr)
{
    header h;
    if (!read_header(bytes, h, why)) return false;
    if (!q.Functions || !q.Blob) return detail::refuse(why, "the stream to restore into is not initialized");
    const ZRNG_S& d = *q.Functions;
    const std::string_view mine = detail::name_of(d.zrng_name);
    if (h.engine != mine)
        return detail::refuse(why, "a checkpoint of engine " + h.engine + " cannot be restored into a stream of " +
                                       std::string(mine));
    if (h.bits != d.zrng_bits || h.blob_size != q.BlobSize)
        return detail::refuse(why, "the checkpoint's " + std::to_string(h.bits) + "-bit engine record of " +
                                       std::to_string(h.blob_size) + " bytes does not fit this build's " +
                                       std::string(mine) + " (" + std::to_string(d.zrng_bits) + " bits, " +
                                       std::to_string(q.BlobSize) + " bytes)");
    if ((h.flags & flag_crude) && !d.zrng_double_crude)
        return detail::refuse(why, "the checkpoint draws crude uniforms, which " + std::string(mine) + " lacks");
    if (h.flags & ~flag_crude) return detail::refuse(why, "the checkpoint has flags this build does not know");

    const std::byte* p = bytes.data() + header_size;
    std::memcpy(q.Blob, p, q.BlobSize);
    p += q.BlobSize;
    detail::each_field(q, [&](auto& v) {
        std::memcpy(&v, p, sizeof v);
        p += sizeof v;
    });
    q.rangen = (h.flags & flag_crude) ? d.zrng_double_crude : d.zrng_double_open;
    return true;
}

} // namespace vxalea::checkpoint

#endif
