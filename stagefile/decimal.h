// Reading a decimal number such as "12.5e3" into a double, the same in every
// build: std::from_chars where the standard library has it for doubles,
// strtod where it lacks it (the browser build's library, whose only locale is
// "C", so the decimal point is always '.').
#pragma once

#include <charconv>
#include <system_error>

namespace vorne::stagefile {

// As std::from_chars(first, last, value) for a double in the general format:
// ec is result_out_of_range (value untouched) when the number is too large or
// too small for a double, invalid_argument when no number starts at first.
std::from_chars_result parse_decimal(const char* first, const char* last, double& value);

}  // namespace vorne::stagefile
