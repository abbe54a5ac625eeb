#include "stagefile/writer.h"

namespace vorne::stagefile {

std::string format_block(int32_t row_count, const std::vector<std::string>& rows) {
    static constexpr char line_end[] = "\r\n";
    std::string block = std::to_string(row_count);
    block += line_end;
    for (const std::string& row : rows) {
        block += row;
        block += line_end;
    }
    return block;
}

}  // namespace vorne::stagefile
