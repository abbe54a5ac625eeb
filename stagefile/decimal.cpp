#include "stagefile/decimal.h"

#if defined(__EMSCRIPTEN__)
#include <cerrno>
#include <cstdlib>
#include <string>
#endif

namespace vorne::stagefile {

std::from_chars_result parse_decimal(const char* first, const char* last, double& value) {
#if defined(__EMSCRIPTEN__)
    // strtod also reads signs, spaces, "inf" and hexadecimal, which
    // from_chars refuses: only digits and a point may begin the number.
    if (first == last || !((*first >= '0' && *first <= '9') || *first == '.'))
        return {first, std::errc::invalid_argument};
    const std::string text(first, last);
    char* end = nullptr;
    errno = 0;
    const double read = std::strtod(text.c_str(), &end);
    if (end == text.c_str()) return {first, std::errc::invalid_argument};
    const char* stop = first + (end - text.c_str());
    if (errno == ERANGE) return {stop, std::errc::result_out_of_range};
    value = read;
    return {stop, std::errc()};
#else
    return std::from_chars(first, last, value);
#endif
}

}  // namespace vorne::stagefile
