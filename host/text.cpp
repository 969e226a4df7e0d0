/* UTF-8 and VXChar conversions shared by the journal, the registry, the
 * NLS pipelines and the embedding API. */
#include "host/host_internal.h"

namespace vxh {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isScalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

} // namespace

size_t decodeUtf8(const unsigned char* p, size_t n, char32_t* cp, bool* invalid)
{
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        *cp = b0;
        return 1;
    }
    size_t need;
    char32_t c;
    unsigned char lo = 0x80, hi = 0xBF; /* range of the second byte */
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        c = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;      /* no overlong forms */
        else if (b0 == 0xED) hi = 0x9F; /* no surrogates */
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        c = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        else if (b0 == 0xF4) hi = 0x8F; /* nothing above U+10FFFF */
    } else {
        if (invalid) *invalid = true;
        *cp = kReplacement;
        return 1;
    }
    size_t used = 1;
    for (size_t k = 0; k < need; ++k) {
        if (used >= n) break;
        const unsigned char b = p[used];
        const unsigned char l = (k == 0) ? lo : 0x80;
        const unsigned char h = (k == 0) ? hi : 0xBF;
        if (b < l || b > h) break;
        c = (c << 6) | (b & 0x3F);
        ++used;
    }
    if (used != need + 1) {
        if (invalid) *invalid = true;
        *cp = kReplacement;
        return used;
    }
    *cp = c;
    return used;
}

size_t utf8Length(char32_t c)
{
    if (!isScalar(c)) return 3;
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

void appendUtf8(std::string& out, char32_t c, bool* invalid)
{
    if (!isScalar(c)) {
        if (invalid) *invalid = true;
        c = kReplacement;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::u32string utf8ToU32(std::string_view in, bool* invalid)
{
    std::u32string out;
    out.reserve(in.size());
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    size_t i = 0;
    while (i < in.size()) {
        char32_t c;
        i += decodeUtf8(p + i, in.size() - i, &c, invalid);
        out += c;
    }
    return out;
}

std::string u32ToUtf8(std::u32string_view in, bool* invalid)
{
    std::string out;
    out.reserve(in.size());
    for (char32_t c : in) appendUtf8(out, c, invalid);
    return out;
}

std::u32string_view vxView(const VXChar* text, VXStrSize length)
{
    if (!text) return {};
    const auto* t = reinterpret_cast<const char32_t*>(text);
    if (length > 0) return {t, static_cast<size_t>(length)};
    size_t n = 0;
    while (t[n]) ++n;
    return {t, n};
}

} // namespace vxh

using namespace vxh;

extern "C" {

size_t vxhost_utf8_to_vxchar(const char* in, VXChar* out, size_t capacity)
{
    if (!out || capacity == 0) return 0;
    size_t w = 0;
    if (in) {
        const auto* p = reinterpret_cast<const unsigned char*>(in);
        size_t n = 0;
        while (p[n]) ++n;
        size_t i = 0;
        while (i < n && w + 1 < capacity) {
            char32_t c;
            i += decodeUtf8(p + i, n - i, &c, nullptr);
            out[w++] = c;
        }
    }
    out[w] = 0;
    return w;
}

size_t vxhost_vxchar_to_utf8(const VXChar* in, int length, char* out, size_t capacity)
{
    if (!out || capacity == 0) return 0;
    size_t w = 0;
    std::string one;
    for (char32_t c : vxView(in, length)) {
        one.clear();
        appendUtf8(one, c);
        if (w + one.size() + 1 > capacity) break; /* whole characters only */
        for (char b : one) out[w++] = b;
    }
    out[w] = 0;
    return w;
}

} // extern "C"
