// The converter's pipeline in memory, stage by stage, on the same million
// angles as bench/convert_vs_awk.sh: how much of a run goes to cutting lines,
// trimming them, and the whole line conversion (without any file I/O).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "text/lines.h"
#include "text/results.h"

namespace velmora {
namespace {

// Same Park-Miller sequence and line shapes as the awk generator of
// convert_vs_awk.sh, so both benchmarks see the same kind of text.
std::string MillionAngles() {
    constexpr std::uint64_t kModulus = 2147483647;
    std::uint64_t x = 20240611;
    auto next = [&x] { return x = x * 16807 % kModulus; };
    auto two_digits = [](std::uint64_t value) {
        return std::string{static_cast<char>('0' + value / 10),
                           static_cast<char>('0' + value % 10)};
    };
    std::string text;
    for (int i = 0; i < 1000000; ++i) {
        const std::uint64_t degrees = next() % 360;
        const std::uint64_t minutes = next() % 60;
        const std::uint64_t seconds = next() % 60;
        text += std::to_string(degrees) + "." + two_digits(minutes) + two_digits(seconds);
        if (next() % 4 == 0) {
            text += two_digits(next() % 100);
        }
        text += "\r\n";
    }
    return text;
}

const std::string& Angles() {
    static const std::string text = MillionAngles();
    return text;
}

void BM_SplitLines(benchmark::State& state) {
    for (auto _ : state) {
        LineSplitter splitter(Angles(), kLineDelimiter);
        std::string_view line;
        std::size_t count = 0;
        while (splitter.Next(line)) {
            ++count;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Angles().size()));
}
BENCHMARK(BM_SplitLines)->Unit(benchmark::kMillisecond);

void BM_SplitAndTrim(benchmark::State& state) {
    for (auto _ : state) {
        LineSplitter splitter(Angles(), kLineDelimiter);
        std::string_view line;
        std::size_t kept = 0;
        while (splitter.Next(line)) {
            kept += TrimSpacesView(line).size();
        }
        benchmark::DoNotOptimize(kept);
    }
}
BENCHMARK(BM_SplitAndTrim)->Unit(benchmark::kMillisecond);

// Everything velmora-convert does per line, into a buffer emptied at each
// megabyte as the converter's output is.
void BM_ConvertLines(benchmark::State& state) {
    std::string out;
    out.reserve((1 << 20) + 4096);
    for (auto _ : state) {
        LineSplitter splitter(Angles(), kLineDelimiter);
        std::string_view line;
        while (splitter.Next(line)) {
            AppendConvertedLine(out, line);
            if (out.size() >= (1 << 20)) {
                benchmark::DoNotOptimize(out.data());
                out.clear();
            }
        }
    }
}
BENCHMARK(BM_ConvertLines)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
