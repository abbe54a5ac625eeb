#include "stagefile/count.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "stagefile/decimal.h"

namespace vorne::stagefile {
namespace {

bool is_ignored(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Reads digits of the given base from text at pos; returns their value.
double read_radix(const std::string& text, size_t& pos, int base) {
    double value = 0;
    while (pos < text.size() && digit_value(text[pos]) < base) {
        value = value * base + digit_value(text[pos]);
        ++pos;
    }
    return value;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

double read_decimal(const std::string& text, size_t pos) {
    // Collect the longest prefix that forms a decimal number, then let the
    // library convert it (correctly rounded, unlike summing digits).
    std::string mantissa;
    size_t digits = 0;
    int32_t magnitude = 0;  // decimal exponent of the first significant digit, roughly
    bool significant = false;
    while (pos < text.size() && is_digit(text[pos])) {
        if (text[pos] != '0') significant = true;
        if (significant) ++magnitude;
        mantissa += text[pos++];
        ++digits;
    }
    if (pos < text.size() && text[pos] == '.') {
        mantissa += text[pos++];
        while (pos < text.size() && is_digit(text[pos])) {
            if (text[pos] != '0') significant = true;
            if (!significant) --magnitude;
            mantissa += text[pos++];
            ++digits;
        }
    }
    if (digits == 0) return 0;
    int64_t exponent = 0;
    if (pos < text.size() &&
        (text[pos] == 'e' || text[pos] == 'E' || text[pos] == 'd' || text[pos] == 'D')) {
        size_t p = pos + 1;
        bool exponent_negative = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
            exponent_negative = text[p] == '-';
            ++p;
        }
        // Huge exponents are capped: the value is 0 or infinite long before.
        while (p < text.size() && is_digit(text[p])) {
            exponent = std::min<int64_t>(exponent * 10 + (text[p] - '0'), 1000000);
            ++p;
        }
        if (exponent_negative) exponent = -exponent;
    }
    std::string number = mantissa + "e" + std::to_string(exponent);
    // This reading is locale-independent (the editor's toolkit sets the C locale
    // from the environment, which would change strtod's decimal point).
    double value = 0;
    auto result = parse_decimal(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double; from_chars leaves value alone.
        value = significant && magnitude + exponent > 0 ? HUGE_VAL : 0.0;
    }
    return value;
}

}  // namespace

double lenient_value(std::string_view line) {
    std::string text;
    text.reserve(line.size());
    for (char c : line) {
        if (!is_ignored(c)) text += c;
    }
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    double value = 0;
    if (pos + 1 < text.size() && text[pos] == '&' &&
        (text[pos + 1] == 'h' || text[pos + 1] == 'H')) {
        pos += 2;
        value = read_radix(text, pos, 16);
    } else if (pos + 1 < text.size() && text[pos] == '&' &&
               (text[pos + 1] == 'o' || text[pos + 1] == 'O')) {
        pos += 2;
        value = read_radix(text, pos, 8);
    } else {
        value = read_decimal(text, pos);
    }
    return negative ? -value : value;
}

int64_t round_half_even(double value) {
    if (std::isnan(value)) return 0;
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (value >= limit) return std::numeric_limits<int64_t>::max();
    if (value < -limit) return std::numeric_limits<int64_t>::min();
    double lower = std::floor(value);
    double fraction = value - lower;
    double rounded = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0)) rounded = lower + 1;
    if (rounded >= limit) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(rounded);
}

int64_t lenient_count(std::string_view line) {
    return round_half_even(lenient_value(line));
}

}  // namespace vorne::stagefile
