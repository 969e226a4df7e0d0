/* Values on stdout in the three formats.
 *
 * text: one value a line, integers in decimal, doubles as %.17g (every NaN,
 *       the samplers' missing value included, as "nan");
 * hex:  integers as 8 or 16 lower-case digits, doubles as the 16 digits of
 *       their bit pattern (the missing value is fffffe0000000000);
 * bin:  little-endian bytes and nothing else.
 *
 * A reader that goes away (dieharder has read enough, `head` is satisfied)
 * is the normal end of an endless run: the writer then just reports that
 * it is closed, and the caller stops. */
#ifndef VX_TOOLS_VXALEA_OUTPUT_H
#define VX_TOOLS_VXALEA_OUTPUT_H

#include <cstdint>
#include <string>

#include "options.h"

namespace vxcli {

class Writer {
public:
    explicit Writer(Format f);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    /* One value on a line of its own (text, hex) or its bytes (bin).
     * False once the output is closed. */
    bool put(uint32_t v);
    bool put(uint64_t v);
    bool put(double v);

    /* Text as it is (tables, hashes). */
    bool raw(const std::string& s) { return write(s.data(), s.size()); }

    /* Grouped output: "label v1 v2 ...\n" in text and hex, bare bytes in bin. */
    bool beginRow(const std::string& label);
    bool item(double v);
    bool endRow();

    /* Flushes; throws RunError if stdout failed for another reason than a
     * vanished reader. */
    void finish();
    bool closed() const { return closed_; }

private:
    bool write(const void* p, size_t n);
    bool formatted(const char* text);

    Format format_;
    bool closed_ = false;
    int error_ = 0;
};

/* A whole table or line of text on stdout, with the writer's handling of a
 * vanished reader. */
void writeText(const std::string& text);

/* The text and hex forms of one double, as the writer prints it. */
std::string textOf(double v);
std::string hexOf(double v);

} // namespace vxcli

#endif
