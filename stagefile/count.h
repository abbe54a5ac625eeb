// The count line of a stage block, read with the lenient numeric conversion
// that stage files have always been read with:
// - blanks, tabs and line feeds are ignored anywhere in the text;
// - an optional sign, then either a decimal number (digits, an optional
//   fraction, an optional exponent introduced by E or D) or a number in
//   hexadecimal (&H prefix) or octal (&O prefix), letters in either case;
// - reading stops at the first character that cannot continue the number;
// - a text without a leading number (empty, or letters) gives 0.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorne::stagefile {

// The numeric value of text as the lenient conversion reads it. Never fails.
// Values too large for a double become +/- infinity.
double lenient_value(std::string_view text);

// A value rounded to the nearest integer, halves to the even neighbour
// (2.5 gives 2, 3.5 gives 4), saturated to the range of int64_t.
int64_t round_half_even(double value);

// The row count a count line stands for: lenient_value rounded half to even.
// The result is not range-checked: the caller rejects negative or absurd counts.
int64_t lenient_count(std::string_view line);

}  // namespace vorne::stagefile
