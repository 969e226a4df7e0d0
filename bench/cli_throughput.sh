#!/usr/bin/env bash
# What the vxalea tool's output path costs: CPU nanoseconds per value of
# `vxalea raw` and `vxalea draw normal` (MT64) against a minimal writer of the
# same values, measured in one run, alternating, into /dev/null and into a
# pipe, for --format bin, text and hex.  Prints the table and the ratios
# tool / writer (1.0: the tool adds nothing to the numbers' own cost).
#
# The writer draws through the C++ layer (include/vxalea/vxalea.hpp) and
# writes 64 KiB blocks: bin as they are, text with std::to_chars, hex from a
# table.  Before timing, each case checks that both print the same bytes.
#
#   bench/cli_throughput.sh [BUILD_DIR]       (default: build)
#   ROUNDS=5 SCALE=1 bench/cli_throughput.sh  (rounds per case; SCALE multiplies the counts)
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
rounds=${ROUNDS:-5}
scale=${SCALE:-1}
tool=$build/bin/vxalea
ref=$build/bench/cli_reference
[ -x "$tool" ] || { echo "no $tool: build the target vxalea first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

mkdir -p "$build/bench"
cat > "$build/bench/cli_reference.cpp" <<'EOF'
// The least a program can do to print these values: draw a block, format
// it into a 64 KiB buffer, write(2) the buffer when full.
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "include/vxalea/vxalea.hpp"

static char buf[1 << 16];
static size_t len = 0;

static void flush()
{
    for (size_t off = 0; off < len;) {
        ssize_t w = write(1, buf + off, len - off);
        if (w <= 0) std::exit(1);
        off += static_cast<size_t>(w);
    }
    len = 0;
}

static char hexpairs[512];

enum Format { Bin, Text, Hex };

template <class T>
static void put(const T* v, size_t n, Format format)
{
    if (format == Bin) {
        const char* p = reinterpret_cast<const char*>(v);
        size_t bytes = n * sizeof(T);
        while (bytes > 0) {
            size_t take = std::min(bytes, sizeof buf - len);
            std::memcpy(buf + len, p, take);
            len += take, p += take, bytes -= take;
            if (len == sizeof buf) flush();
        }
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        if (len > sizeof buf - 40) flush();
        char* p = buf + len;
        if (format == Hex) {
            uint64_t bits;
            std::memcpy(&bits, &v[i], 8);
            for (int k = 7; k >= 0; --k, bits >>= 8) std::memcpy(p + 2 * k, hexpairs + 2 * (bits & 255), 2);
            p += 16;
        } else if constexpr (std::is_same_v<T, double>) {
            p = std::to_chars(p, buf + sizeof buf, v[i], std::chars_format::general, 17).ptr;
        } else {
            p = std::to_chars(p, buf + sizeof buf, v[i]).ptr;
        }
        *p++ = '\n';
        len = static_cast<size_t>(p - buf);
    }
}

int main(int argc, char** argv)
{
    if (argc != 4) return 2;
    for (int i = 0; i < 256; ++i) {
        hexpairs[2 * i] = "0123456789abcdef"[i >> 4];
        hexpairs[2 * i + 1] = "0123456789abcdef"[i & 15];
    }
    const std::string what = argv[1], f = argv[3];
    const Format format = f == "bin" ? Bin : f == "hex" ? Hex : Text;
    uint64_t count = std::strtoull(argv[2], nullptr, 10);
    vxalea::host host;
    vxalea::module mod(host);
    vxalea::pool pool(host);
    vxalea::stream64 s(mod, pool, {.method = "MT64", .seed = 1});
    constexpr size_t block = 8192;
    std::vector<uint64_t> ints(block);
    std::vector<double> doubles(block);
    while (count > 0) {
        size_t m = count < block ? count : block;
        if (what == "raw") {
            for (size_t k = 0; k < m; ++k) ints[k] = s();
            put(ints.data(), m, format);
        } else {
            s.fill_normal(std::span<double>(doubles.data(), m));
            put(doubles.data(), m, format);
        }
        count -= m;
    }
    flush();
    return 0;
}
EOF
${CXX:-g++} -std=c++20 -O2 -I"$src" -o "$ref" "$build/bench/cli_reference.cpp" "$build/lib/libvxhost.a" -ldl -lpthread

tool_cmd() { # raw|normal N FORMAT
    if [ "$1" = raw ]; then echo "$tool raw --method MT64 --seed 1 -n $2 --format $3 --quiet"
    else echo "$tool draw normal --method MT64 --seed 1 -n $2 --format $3 --quiet"; fi
}
ref_cmd() { echo "$ref $1 $2 $3"; }

# CPU seconds (user + system) of the writer alone; the pipe's reader is not counted.
cpu() { # SINK COMMAND...
    local sink=$1 t
    shift
    t=$(mktemp)
    if [ "$sink" = devnull ]; then /usr/bin/time -f "%U %S" -o "$t" "$@" > /dev/null
    else /usr/bin/time -f "%U %S" -o "$t" "$@" | cat > /dev/null; fi
    awk '{ printf "%.3f", $1 + $2 }' "$t"
    rm -f "$t"
}

median() { tr ' ' '\n' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Counts chosen for a few tenths of a second of the tool on a 2-core machine.
declare -A count=(
    [raw.bin]=100000000 [raw.hex]=20000000 [raw.text]=8000000
    [normal.bin]=40000000 [normal.hex]=20000000 [normal.text]=3000000
)

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(${CXX:-g++} --version | head -1)"
echo "rounds: $rounds, alternating tool and writer; CPU ns per value, medians"
printf '%-8s %-5s %-8s %12s %12s %7s\n' what format sink "tool ns" "writer ns" ratio
for what in raw normal; do
    for format in bin text hex; do
        n=$(( ${count[$what.$format]} * scale ))
        if ! cmp -s <($(tool_cmd $what 100000 $format)) <($(ref_cmd $what 100000 $format)); then
            echo "$what $format: the tool and the writer print different bytes" >&2
            exit 1
        fi
        for sink in devnull pipe; do
            ts=() rs=()
            for ((r = 0; r < rounds; r++)); do
                ts+=("$(cpu $sink $(tool_cmd $what $n $format))")
                rs+=("$(cpu $sink $(ref_cmd $what $n $format))")
            done
            t=$(echo "${ts[*]}" | median)
            w=$(echo "${rs[*]}" | median)
            awk -v what=$what -v f=$format -v s=$sink -v t="$t" -v w="$w" -v n=$n 'BEGIN {
                printf "%-8s %-5s %-8s %12.2f %12.2f %7.2f\n", what, f, s, t * 1e9 / n, w * 1e9 / n, (w > 0 ? t / w : 0) }'
        done
    done
done
