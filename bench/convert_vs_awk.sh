#!/usr/bin/env bash
# Times velmora-convert against an awk one-liner that does the same arithmetic
# on a file of 1,000,000 field-book angles, and shows the converter's peak
# memory against the size of that file.
#
#   bench/convert_vs_awk.sh [BUILD_DIR]      (default: build, a Release build)
#
# The angle file is made once, deterministically, as BUILD_DIR/bench/angles-1m.txt
# (or VELMORA_BENCH_ANGLES). Both programs write to /dev/null; each is run
# RUNS times (default 5), alternating, and the medians are compared.
set -euo pipefail

build=${1:-${VELMORA_BUILD_DIR:-build}}
converter=$build/cli/velmora-convert
angles=${VELMORA_BENCH_ANGLES:-$build/bench/angles-1m.txt}
runs=${RUNS:-5}

if [ ! -x "$converter" ]; then
    echo "no $converter: build the project first (cmake --build $build)" >&2
    exit 1
fi
if ! command -v mawk >/dev/null; then
    echo "mawk is needed for the comparison" >&2
    exit 1
fi

# Park-Miller "minimal standard" generator: its products stay below 2^53, so
# awk's doubles compute it exactly and the file is the same everywhere.
# Degrees 0-359, minutes and seconds 00-59, one line in four with two decimals
# of seconds; CR LF line ends as a field book exported on the desktop has.
generate_angles() {
    mkdir -p "$(dirname "$angles")"
    mawk 'BEGIN {
        x = 20240611
        for (i = 0; i < 1000000; i++) {
            x = (x * 16807) % 2147483647; d = x % 360
            x = (x * 16807) % 2147483647; m = x % 60
            x = (x * 16807) % 2147483647; s = x % 60
            x = (x * 16807) % 2147483647
            if (x % 4 == 0) {
                x = (x * 16807) % 2147483647
                printf "%d.%02d%02d%02d\r\n", d, m, s, x % 100
            } else {
                printf "%d.%02d%02d\r\n", d, m, s
            }
        }
    }' > "$angles.part"
    mv "$angles.part" "$angles"
}
[ -f "$angles" ] || generate_angles

awk_program='{s=$1;neg=(substr(s,1,1)=="-");if(neg)s=substr(s,2);i=index(s,".");if(i){d=substr(s,1,i-1);f=substr(s,i+1)}else{d=s;f=""};f=f "0000";r=((d*60+substr(f,1,2))*60+(substr(f,3,2) "." substr(f,5)))*3.141592653589793/648000;if(neg)r=-r;printf "%s------%.13g\n",$1,r}'

now_ns() { date +%s%N; }

# Milliseconds that one run of the command takes.
time_ms() {
    local start end
    start=$(now_ns)
    "$@" > /dev/null
    end=$(now_ns)
    echo $(((end - start) / 1000000))
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

converter_times=()
awk_times=()
for ((run = 0; run < runs; run++)); do
    converter_times+=("$(time_ms "$converter" "$angles")")
    awk_times+=("$(time_ms mawk "$awk_program" "$angles")")
done

converter_ms=$(median "${converter_times[@]}")
awk_ms=$(median "${awk_times[@]}")
size=$(stat -c %s "$angles")
echo "input:          $angles ($(wc -l < "$angles") lines, $size bytes)"
echo "velmora-convert ms: ${converter_times[*]}  median $converter_ms"
echo "mawk ms:            ${awk_times[*]}  median $awk_ms"
awk -v a="$awk_ms" -v c="$converter_ms" \
    'BEGIN { printf "speed-up:       %.1fx (target >= 6x)\n", a / (c > 0 ? c : 1) }'

if [ -x /usr/bin/time ]; then
    peak_kb=$(/usr/bin/time -f %M "$converter" "$angles" 2>&1 >/dev/null | tail -n 1)
    awk -v kb="$peak_kb" -v size="$size" 'BEGIN {
        printf "peak RSS:       %d KiB = %.2fx the input (limit 3x)\n", kb, kb * 1024 / size
    }'
else
    echo "peak RSS:       /usr/bin/time is not installed"
fi
