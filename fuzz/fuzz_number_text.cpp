// Reading and writing number texts on arbitrary bytes, and the angle
// conversion between them.
//
// The input is read as a text, and its first eight bytes (when there are
// eight) are also taken as the bit pattern of a double, so every Number,
// NaNs and subnormals included, gets written. Each property that fails aborts
// with the offending input in the message.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/survey_math.h"
#include "text/number_text.h"

namespace {

using velmora::NumberToText;
using velmora::TextToNumber;

std::uint64_t Bits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

[[noreturn]] void Fail(const char* property, std::uint64_t bits, const std::string& a,
                       const std::string& b) {
    std::fprintf(stderr, "%s\n  value bits 0x%016llx\n  got   \"%s\"\n  other \"%s\"\n", property,
                 static_cast<unsigned long long>(bits), a.c_str(), b.c_str());
    std::abort();
}

// What a written number may look like: ASCII, no blanks, no control bytes,
// no "+" in front, and short enough for a fixed-size cell.
bool IsWellFormedNumberText(std::string_view text) {
    if (text.empty() || text.size() > velmora::kMaxNumberTextSize || text.front() == '+') {
        return false;
    }
    for (const char c : text) {
        if (c <= ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

// Reading: never NaN, and the fast path gives the very bits of the general
// reader (so -0 and +0 are told apart).
double CheckReading(std::string_view text) {
    const double fast = TextToNumber(text);
    const double general = velmora::detail::TextToNumberGeneral(text);
    if (std::isnan(fast)) {
        Fail("TextToNumber gave NaN", Bits(fast), std::string(text), "");
    }
    if (Bits(fast) != Bits(general)) {
        Fail("TextToNumber differs from TextToNumberGeneral", Bits(fast),
             NumberToText(fast) + " from " + std::string(text), NumberToText(general));
    }
    return fast;
}

// Writing: well formed, the same text from every path, and stable under a
// second round through reading for finite values. Thirteen digits do not
// identify a Number, but the Number nearest to a 13-digit text must be
// written as that same text again.
void CheckWriting(double value) {
    const std::string text = NumberToText(value);
    if (!IsWellFormedNumberText(text)) {
        Fail("NumberToText is not a well-formed number text", Bits(value), text, "");
    }
    const std::string general = velmora::detail::NumberToTextGeneral(value);
    if (text != general) {
        Fail("NumberToText differs from NumberToTextGeneral", Bits(value), text, general);
    }
    // The appending form writes behind what is already there.
    std::string appended = "angle------";
    velmora::AppendNumberText(appended, value);
    if (appended != "angle------" + text) {
        Fail("AppendNumberText differs from NumberToText", Bits(value), appended, text);
    }
    if (std::isfinite(value)) {
        const std::string again = NumberToText(CheckReading(text));
        if (again != text) {
            Fail("writing, reading and writing again changed the text", Bits(value), again, text);
        }
    }
}

// The angle conversion that sits between reading and writing takes shortcuts
// for everyday angles; on every Number it must give the very bits of its
// step-by-step twin, since a differing NaN or last bit shows in the text.
void CheckAngle(double packed) {
    const double fast = velmora::SurveyMath().DmsToRad(packed);
    const double reference = velmora::detail::DmsToRadReference(packed);
    if (Bits(fast) != Bits(reference)) {
        Fail("DmsToRad differs from DmsToRadReference", Bits(packed), NumberToText(fast),
             NumberToText(reference));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Numbers that come from texts reach the interesting decimal midpoints
    // (1234567890122.5, 9999999999999.5) far more often than random bits.
    const double read = CheckReading(text);
    CheckWriting(read);
    CheckAngle(read);
    if (size >= sizeof(std::uint64_t)) {
        std::uint64_t bits;
        std::memcpy(&bits, data, sizeof bits);
        CheckWriting(FromBits(bits));
        CheckAngle(FromBits(bits));
    }
    return 0;
}
