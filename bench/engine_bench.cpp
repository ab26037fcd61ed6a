// Per-call cost of the conversion engine on realistic field-book angles:
// reading the packed angle, converting it, writing the radians. The general
// twins of the number text conversions are measured beside the fast paths.
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/survey_math.h"
#include "text/number_text.h"

namespace velmora {
namespace {

// Angles as surveyors type them: whole degrees, a point, minutes and seconds
// with or without decimals.
constexpr std::array<std::string_view, 16> kAngles = {
    "123.4567", "0.3015",   "359.595999",  "45.0000",   "12.59",    "270.1530",
    "88.0805",  "180",      "-123.456789", "30.6",      "1.000001", "315.4512",
    "90.3030",  "212.2536", "5.5959",      "147.03215",
};

std::vector<double> PackedAngles() {
    std::vector<double> values;
    for (const auto text : kAngles) {
        values.push_back(TextToNumber(text));
    }
    return values;
}

std::vector<double> RadianValues() {
    std::vector<double> values;
    for (const double packed : PackedAngles()) {
        values.push_back(SurveyMath().DmsToRad(packed));
    }
    return values;
}

// Runs one operation over the inputs in turn; the per-call figure is the
// reported time per iteration.
template <typename Input, typename Operation>
void RunOver(benchmark::State& state, const Input& inputs, Operation operation) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(operation(inputs[i]));
        i = i + 1 == inputs.size() ? 0 : i + 1;
    }
}

void BM_TextToNumber(benchmark::State& state) {
    RunOver(state, kAngles, [](std::string_view text) { return TextToNumber(text); });
}
BENCHMARK(BM_TextToNumber);

void BM_TextToNumberGeneral(benchmark::State& state) {
    RunOver(state, kAngles,
            [](std::string_view text) { return detail::TextToNumberGeneral(text); });
}
BENCHMARK(BM_TextToNumberGeneral);

void BM_DmsToRad(benchmark::State& state) {
    const SurveyMath math;
    RunOver(state, PackedAngles(), [&math](double packed) { return math.DmsToRad(packed); });
}
BENCHMARK(BM_DmsToRad);

void BM_NumberToText(benchmark::State& state) {
    RunOver(state, RadianValues(), [](double radians) { return NumberToText(radians); });
}
BENCHMARK(BM_NumberToText);

// The batch conversion's form: appending to a text that keeps its capacity.
void BM_AppendNumberText(benchmark::State& state) {
    std::string out;
    RunOver(state, RadianValues(), [&out](double radians) {
        out.clear();
        AppendNumberText(out, radians);
        return out.size();
    });
}
BENCHMARK(BM_AppendNumberText);

void BM_NumberToTextGeneral(benchmark::State& state) {
    RunOver(state, RadianValues(),
            [](double radians) { return detail::NumberToTextGeneral(radians); });
}
BENCHMARK(BM_NumberToTextGeneral);

// One whole line as the converter handles it: read, convert, append.
void BM_ConvertAngle(benchmark::State& state) {
    const SurveyMath math;
    std::string out;
    RunOver(state, kAngles, [&](std::string_view text) {
        out.clear();
        AppendNumberText(out, math.DmsToRad(TextToNumber(text)));
        return out.size();
    });
}
BENCHMARK(BM_ConvertAngle);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
