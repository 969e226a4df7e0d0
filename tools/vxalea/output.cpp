#include "output.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace vxcli {
namespace {

/* Bytes of the output buffer: one write(2) each when full.  Large enough
 * that the system call costs little per value, small enough for L2. */
constexpr size_t kBufferBytes = 256 * 1024;

constexpr std::array<char, 512> kHexPairs = [] {
    std::array<char, 512> t{};
    const char* digits = "0123456789abcdef";
    for (int i = 0; i < 256; ++i) {
        t[2 * i] = digits[i >> 4];
        t[2 * i + 1] = digits[i & 15];
    }
    return t;
}();

template <int Bytes>
char* hexDigits(char* p, uint64_t v)
{
    for (int i = Bytes - 1; i >= 0; --i) {
        std::memcpy(p + 2 * i, &kHexPairs[2 * (v & 0xff)], 2);
        v >>= 8;
    }
    return p + 2 * Bytes;
}

} // namespace

char* formatValue(char* p, uint32_t v, Format f)
{
    if (f == Format::Hex) return hexDigits<4>(p, v);
    return std::to_chars(p, p + kMaxValueChars, v).ptr;
}

char* formatValue(char* p, uint64_t v, Format f)
{
    if (f == Format::Hex) return hexDigits<8>(p, v);
    return std::to_chars(p, p + kMaxValueChars, v).ptr;
}

char* formatValue(char* p, double v, Format f)
{
    if (f == Format::Hex) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return hexDigits<8>(p, bits);
    }
    /* One spelling for every NaN: printf would show the missing value, whose
     * sign bit is set, as "-nan". */
    if (std::isnan(v)) {
        std::memcpy(p, "nan", 3);
        return p + 3;
    }
    /* General with 17 digits is what %.17g prints, and reads back exactly. */
    return std::to_chars(p, p + kMaxValueChars, v, std::chars_format::general, 17).ptr;
}

ProgressReport::ProgressReport(Progress mode)
    : enabled_(mode == Progress::On || (mode == Progress::Auto && isatty(2) && !isatty(1))),
      forced_(mode == Progress::On),
      start_(std::chrono::steady_clock::now()),
      next_(start_ + std::chrono::seconds(1))
{
}

void ProgressReport::print(uint64_t values, uint64_t bytes, const char* end)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    /* A terminal gets one line rewritten in place, a log one line a report. */
    std::fprintf(stderr, "%svxalea: %llu values, %.1f MB, %.1f s, %.1f MB/s%s", isatty(2) ? "\r" : "",
                 static_cast<unsigned long long>(values), static_cast<double>(bytes) / 1e6, seconds,
                 seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0, end);
    std::fflush(stderr);
    printed_ = true;
}

void ProgressReport::update(uint64_t values, uint64_t bytes)
{
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return;
    next_ = now + std::chrono::seconds(1);
    print(values, bytes, isatty(2) ? "" : "\n");
}

void ProgressReport::finish(uint64_t values, uint64_t bytes)
{
    if (enabled_ && (forced_ || printed_)) print(values, bytes, "\n");
    enabled_ = false;
}

Writer::Writer(Format f, Progress progress)
    : format_(f), buf_(new char[kBufferBytes]), progress_(progress)
{
    /* A closed pipe must come back as EPIPE from the write, not kill the
     * process before the host and module are released. */
    std::signal(SIGPIPE, SIG_IGN);
}

Writer::~Writer()
{
    /* Normally finish() has run; on an error path what was formatted still
     * goes out, and a failure then has nowhere to be reported. */
    flush();
}

bool Writer::writeAll(const char* p, size_t n)
{
    while (n > 0 && !closed_) {
        ssize_t w = ::write(1, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            closed_ = true;
            break;
        }
        p += w;
        n -= static_cast<size_t>(w);
        bytes_ += static_cast<uint64_t>(w);
    }
    return !closed_;
}

bool Writer::flush()
{
    if (len_ == 0) return !closed_;
    const size_t n = len_;
    len_ = 0;
    return writeAll(buf_.get(), n);
}

template <class T>
bool Writer::putValues(const T* v, size_t n)
{
    if (closed_) return false;
    if (format_ == Format::Bin) {
        const char* bytes = reinterpret_cast<const char*>(v);
        size_t left = n * sizeof(T);
        /* A block at least as large as the buffer goes out as it is. */
        if (len_ == 0 && left >= kBufferBytes) {
            writeAll(bytes, left);
        } else {
            while (left > 0 && !closed_) {
                const size_t take = std::min(left, kBufferBytes - len_);
                std::memcpy(buf_.get() + len_, bytes, take);
                len_ += take;
                bytes += take;
                left -= take;
                if (len_ == kBufferBytes) flush();
            }
        }
    } else {
        char* const base = buf_.get();
        for (size_t i = 0; i < n; ++i) {
            if (len_ > kBufferBytes - kMaxValueChars - 1 && !flush()) break;
            char* end = formatValue(base + len_, v[i], format_);
            *end++ = '\n';
            len_ = static_cast<size_t>(end - base);
        }
    }
    values_ += n;
    progress_.update(values_, bytes_);
    return !closed_;
}

bool Writer::put(const uint32_t* v, size_t n) { return putValues(v, n); }
bool Writer::put(const uint64_t* v, size_t n) { return putValues(v, n); }
bool Writer::put(const double* v, size_t n) { return putValues(v, n); }

bool Writer::raw(std::string_view s)
{
    if (closed_) return false;
    if (s.size() > kBufferBytes - len_) {
        if (!flush()) return false;
        if (s.size() >= kBufferBytes) return writeAll(s.data(), s.size());
    }
    std::memcpy(buf_.get() + len_, s.data(), s.size());
    len_ += s.size();
    return true;
}

void Writer::finish()
{
    flush();
    progress_.finish(values_, bytes_);
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
