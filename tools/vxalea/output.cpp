#include "output.h"

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace vxcli {

std::string textOf(double v)
{
    /* glibc prints a NaN with its sign bit as "-nan"; the missing value has
     * the sign bit set, and scripts should see one spelling. */
    if (std::isnan(v)) return "nan";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string hexOf(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, bits);
    return buf;
}

Writer::Writer(Format f) : format_(f)
{
    /* A closed pipe must come back as EPIPE from the write, not kill the
     * process before the host and module are released. */
    std::signal(SIGPIPE, SIG_IGN);
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
}

Writer::~Writer() { std::fflush(stdout); }

bool Writer::write(const void* p, size_t n)
{
    if (closed_) return false;
    if (std::fwrite(p, 1, n, stdout) != n) {
        error_ = errno;
        closed_ = true;
    }
    return !closed_;
}

bool Writer::formatted(const char* text) { return write(text, std::strlen(text)); }

bool Writer::put(uint32_t v)
{
    if (format_ == Format::Bin) return write(&v, sizeof v);
    char buf[16];
    std::snprintf(buf, sizeof buf, format_ == Format::Hex ? "%08" PRIx32 "\n" : "%" PRIu32 "\n", v);
    return formatted(buf);
}

bool Writer::put(uint64_t v)
{
    if (format_ == Format::Bin) return write(&v, sizeof v);
    char buf[24];
    std::snprintf(buf, sizeof buf, format_ == Format::Hex ? "%016" PRIx64 "\n" : "%" PRIu64 "\n", v);
    return formatted(buf);
}

bool Writer::put(double v)
{
    if (format_ == Format::Bin) return write(&v, sizeof v);
    std::string s = format_ == Format::Hex ? hexOf(v) : textOf(v);
    s += '\n';
    return write(s.data(), s.size());
}

bool Writer::beginRow(const std::string& label)
{
    if (format_ == Format::Bin) return !closed_;
    return write(label.data(), label.size());
}

bool Writer::item(double v)
{
    if (format_ == Format::Bin) return write(&v, sizeof v);
    std::string s(1, ' ');
    s += format_ == Format::Hex ? hexOf(v) : textOf(v);
    return write(s.data(), s.size());
}

bool Writer::endRow()
{
    if (format_ == Format::Bin) return !closed_;
    return write("\n", 1);
}

void Writer::finish()
{
    if (!closed_ && std::fflush(stdout) != 0) {
        error_ = errno;
        closed_ = true;
    }
    if (closed_ && error_ != EPIPE)
        throw RunError(std::string("cannot write the output: ") + std::strerror(error_));
}

void writeText(const std::string& text)
{
    Writer w(Format::Text);
    w.raw(text);
    w.finish();
}

} // namespace vxcli
