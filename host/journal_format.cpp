/* The journal's format language: printf with VXChar formats and two kinds
 * of text argument.
 *
 *   %s %S %ls   VXChar text (NUL-terminated, or at most `precision` code
 *               units: %.*S takes the length as an int first; a negative
 *               length means NUL-terminated, as a negative printf precision
 *               means "no precision")
 *   %hs %hS     8-bit text, read as UTF-8; precision counts bytes
 *   %c          one code point (an int)
 *   d i u x X o e f g E G a A F p %   as in printf, with flags -+ 0#, width,
 *               precision, '*', and length modifiers hh h l ll z j t L
 *
 * Numbers are formatted by the C library from a rebuilt narrow specifier,
 * so their output is exactly printf's.  A null text prints "(null)".  An
 * unknown conversion is copied to the output as written and consumes no
 * argument; %n consumes its pointer and writes nothing. */
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/types.h>

#include "host/host_internal.h"

namespace vxh {
namespace {

/* Widths and precisions beyond this are cut: no message needs them, and a
 * stray huge value must not make the host allocate without bound. */
constexpr int kMaxField = 4096;

struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    bool left = false;
    std::string length; /* "", "hh", "h", "l", "ll", "z", "j", "t", "L" */
};

template <typename... Args>
void appendPrintf(std::string& out, const std::string& format, Args... args)
{
    char small[128];
    int n = std::snprintf(small, sizeof small, format.c_str(), args...);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof small) {
        out.append(small, static_cast<size_t>(n));
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), format.c_str(), args...);
    out.append(big.data(), static_cast<size_t>(n));
}

std::string narrowConversion(const Conversion& s, const char* length, char conv)
{
    char format[64];
    char* p = format;
    *p++ = '%';
    for (char f : s.flags)
        if (p < format + 16) *p++ = f;
    const int room = static_cast<int>(format + sizeof format - p);
    if (s.width >= 0 && s.precision >= 0)
        std::snprintf(p, room, "%d.%d%s%c", s.width, s.precision, length, conv);
    else if (s.width >= 0)
        std::snprintf(p, room, "%d%s%c", s.width, length, conv);
    else if (s.precision >= 0)
        std::snprintf(p, room, ".%d%s%c", s.precision, length, conv);
    else
        std::snprintf(p, room, "%s%c", length, conv);
    return format;
}

size_t codePoints(std::string_view utf8)
{
    size_t n = 0;
    for (unsigned char b : utf8)
        if ((b & 0xC0) != 0x80) ++n;
    return n;
}

void appendPadded(std::string& out, const Conversion& s, const std::string& body)
{
    size_t len = codePoints(body);
    size_t pad = (s.width > 0 && static_cast<size_t>(s.width) > len) ? s.width - len : 0;
    if (!s.left) out.append(pad, ' ');
    out += body;
    if (s.left) out.append(pad, ' ');
}

std::string wideText(const VXChar* t, int precision)
{
    if (!t) return "(null)";
    std::string body;
    for (size_t i = 0; precision < 0 || i < static_cast<size_t>(precision); ++i) {
        if (t[i] == 0) break;
        appendUtf8(body, t[i]);
    }
    return body;
}

std::string narrowText(const char* t, int precision)
{
    if (!t) return "(null)";
    size_t n = precision < 0 ? std::strlen(t) : strnlen(t, static_cast<size_t>(precision));
    bool bad = false;
    return u32ToUtf8(utf8ToU32(std::string_view(t, n), &bad));
}

void signedArg(std::string& out, const Conversion& s, char conv, va_list* ap)
{
    long long v;
    const std::string& l = s.length;
    if (l == "hh") v = static_cast<signed char>(va_arg(*ap, int));
    else if (l == "h") v = static_cast<short>(va_arg(*ap, int));
    else if (l == "l") v = va_arg(*ap, long);
    else if (l == "ll") v = va_arg(*ap, long long);
    else if (l == "z") v = va_arg(*ap, ssize_t);
    else if (l == "j") v = va_arg(*ap, intmax_t);
    else if (l == "t") v = va_arg(*ap, ptrdiff_t);
    else v = va_arg(*ap, int);
    appendPrintf(out, narrowConversion(s, "ll", conv), v);
}

void unsignedArg(std::string& out, const Conversion& s, char conv, va_list* ap)
{
    unsigned long long v;
    const std::string& l = s.length;
    if (l == "hh") v = static_cast<unsigned char>(va_arg(*ap, unsigned));
    else if (l == "h") v = static_cast<unsigned short>(va_arg(*ap, unsigned));
    else if (l == "l") v = va_arg(*ap, unsigned long);
    else if (l == "ll") v = va_arg(*ap, unsigned long long);
    else if (l == "z") v = va_arg(*ap, size_t);
    else if (l == "j") v = va_arg(*ap, uintmax_t);
    else if (l == "t") v = static_cast<unsigned long long>(va_arg(*ap, ptrdiff_t));
    else v = va_arg(*ap, unsigned);
    appendPrintf(out, narrowConversion(s, "ll", conv), v);
}

} // namespace

std::string formatText(const VXChar* format, size_t n, va_list* ap)
{
    std::string out;
    if (!format) return out;
    size_t i = 0;
    auto at = [&](size_t k) -> char32_t { return k < n ? format[k] : 0; };
    while (i < n && format[i]) {
        char32_t c = format[i];
        if (c != '%') {
            appendUtf8(out, c);
            ++i;
            continue;
        }
        const size_t start = i++;
        Conversion s;
        while (at(i) && at(i) < 0x80 && std::strchr("-+ 0#", static_cast<int>(at(i)))) {
            if (at(i) == '-') s.left = true;
            s.flags += static_cast<char>(at(i));
            ++i;
        }
        if (at(i) == '*') {
            int w = va_arg(*ap, int);
            if (w < 0) {
                s.left = true;
                s.flags += '-';
                w = (w == INT_MIN) ? kMaxField : -w;
            }
            s.width = std::min(w, kMaxField);
            ++i;
        } else {
            long w = -1;
            while (at(i) >= '0' && at(i) <= '9') {
                w = (w < 0 ? 0 : w) * 10 + static_cast<long>(at(i) - '0');
                if (w > kMaxField) w = kMaxField;
                ++i;
            }
            s.width = static_cast<int>(w);
        }
        if (at(i) == '.') {
            ++i;
            if (at(i) == '*') {
                int p = va_arg(*ap, int);
                s.precision = p < 0 ? -1 : std::min(p, kMaxField);
                ++i;
            } else {
                long p = 0;
                while (at(i) >= '0' && at(i) <= '9') {
                    p = p * 10 + static_cast<long>(at(i) - '0');
                    if (p > kMaxField) p = kMaxField;
                    ++i;
                }
                s.precision = static_cast<int>(p);
            }
        }
        switch (at(i)) {
        case 'h':
        case 'l':
            s.length = static_cast<char>(at(i));
            if (at(i + 1) == at(i)) s.length += static_cast<char>(at(++i));
            ++i;
            break;
        case 'z':
        case 'j':
        case 't':
        case 'L':
            s.length = static_cast<char>(at(i++));
            break;
        default:
            break;
        }
        const char32_t conv = at(i);
        if (conv == 0) { /* the format ends inside a conversion: keep it as text */
            for (size_t k = start; k < i && k < n; ++k) appendUtf8(out, format[k]);
            break;
        }
        ++i;
        switch (conv) {
        case '%':
            out += '%';
            break;
        case 'd':
        case 'i':
            signedArg(out, s, static_cast<char>(conv), ap);
            break;
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            unsignedArg(out, s, static_cast<char>(conv), ap);
            break;
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (s.length == "L")
                appendPrintf(out, narrowConversion(s, "L", static_cast<char>(conv)), va_arg(*ap, long double));
            else
                appendPrintf(out, narrowConversion(s, "", static_cast<char>(conv)), va_arg(*ap, double));
            break;
        case 'c': {
            std::string body;
            appendUtf8(body, static_cast<char32_t>(va_arg(*ap, int)));
            appendPadded(out, s, body);
            break;
        }
        case 's':
        case 'S':
            if (s.length == "h" || s.length == "hh")
                appendPadded(out, s, narrowText(va_arg(*ap, const char*), s.precision));
            else
                appendPadded(out, s, wideText(va_arg(*ap, const VXChar*), s.precision));
            break;
        case 'p': {
            Conversion p = s;
            p.precision = -1;
            appendPrintf(out, narrowConversion(p, "", 'p'), va_arg(*ap, void*));
            break;
        }
        case 'n':
            (void)va_arg(*ap, void*);
            break;
        default:
            for (size_t k = start; k < i; ++k) appendUtf8(out, format[k]);
            break;
        }
    }
    return out;
}

} // namespace vxh
