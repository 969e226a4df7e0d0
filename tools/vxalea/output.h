/* Values on stdout in the three formats.
 *
 * text: one value a line, integers in decimal, doubles as %.17g prints them
 *       (std::to_chars, general, 17 digits; every NaN, the samplers' missing
 *       value included, as "nan");
 * hex:  integers as 8 or 16 lower-case digits, doubles as the 16 digits of
 *       their bit pattern (the missing value is fffffe0000000000);
 * bin:  little-endian bytes and nothing else.
 *
 * Values arrive in blocks and are formatted into one large buffer that goes
 * out with one write(2) when full: no stdio and no allocation per value.
 *
 * A reader that goes away (dieharder has read enough, `head` is satisfied)
 * is the normal end of an endless run: the writer then just reports that
 * it is closed, and the caller stops. */
#ifndef VX_TOOLS_VXALEA_OUTPUT_H
#define VX_TOOLS_VXALEA_OUTPUT_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "options.h"

namespace vxcli {

/* The longest formatted value: "-2.2250738585072014e-308" is 24 characters. */
constexpr size_t kMaxValueChars = 32;

/* One value, without separator, at p; returns the end.  p must have room for
 * kMaxValueChars characters. */
char* formatValue(char* p, uint32_t v, Format f);
char* formatValue(char* p, uint64_t v, Format f);
char* formatValue(char* p, double v, Format f);

/* Progress on stderr while values go out, like dd status=progress: in Auto
 * mode only when stderr is a terminal and stdout is not, and only once a
 * run has lasted a second; On prints a closing summary line in any case. */
class ProgressReport {
public:
    explicit ProgressReport(Progress mode);
    void update(uint64_t values, uint64_t bytes);
    void finish(uint64_t values, uint64_t bytes);

private:
    void print(uint64_t values, uint64_t bytes, const char* end);
    bool enabled_;
    bool forced_;
    bool printed_ = false;
    std::chrono::steady_clock::time_point start_, next_;
};

class Writer {
public:
    explicit Writer(Format f, Progress progress = Progress::Off);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    /* n values, each on a line of its own (text, hex) or as its bytes (bin).
     * False once the output is closed. */
    bool put(const uint32_t* v, size_t n);
    bool put(const uint64_t* v, size_t n);
    bool put(const double* v, size_t n);

    /* Bytes as they are (tables, hashes, preformatted rows). */
    bool raw(std::string_view s);

    /* Writes what is buffered; throws RunError if stdout failed for another
     * reason than a vanished reader. */
    void finish();
    bool closed() const { return closed_; }

private:
    template <class T>
    bool putValues(const T* v, size_t n);
    bool flush();
    bool writeAll(const char* p, size_t n);

    Format format_;
    std::unique_ptr<char[]> buf_;
    size_t len_ = 0;
    bool closed_ = false;
    int error_ = 0;
    uint64_t values_ = 0, bytes_ = 0;
    ProgressReport progress_;
};

/* A whole table or line of text on stdout, with the writer's handling of a
 * vanished reader. */
void writeText(const std::string& text);

} // namespace vxcli

#endif
