#include "stagefile/hashes.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "stagefile/blocks.h"
#include "stagefile/files.h"

namespace vorne::stagefile {

uint64_t fnv1a64(std::string_view bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string hex64(uint64_t value) {
    static const char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = digits[value & 15];
    return text;
}

StageFileHashes hash_stage_text(std::string_view text) {
    StageFileHashes result;
    result.bytes = text.size();
    result.hash = fnv1a64(text);
    // The blocks as the game reads them: the first from the file's start (a
    // byte order mark belongs to it), each up to the end of its last row.
    Reader reader;
    reader.open_text("", std::string(text));
    int32_t rows = 0;
    uint64_t start = 0;
    if (read_playable_first_count(reader, rows)) return result;
    std::string line;
    std::vector<std::string_view> cells;
    for (;;) {
        for (int32_t r = 1; r <= rows; ++r)
            if (read_row(reader, r, rows, line, cells)) return result;
        const uint64_t end = reader.offset();
        result.stages.push_back({end - start, fnv1a64(text.substr(start, end - start))});
        start = end;
        bool end_of_file = false;
        if (read_next_count(reader, end_of_file, rows) || end_of_file) return result;
    }
}

StageFileHashes hash_stage_file(const std::string& path) {
    StageFileHashes failed;
    const int fd = open_input_file(path, max_file_bytes, failed.error);
    if (fd < 0) return failed;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) failed.error = path + ": " + std::strerror(errno);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > max_file_bytes) {
            failed.error = path + ": is larger than " + byte_size_text(max_file_bytes);
            break;
        }
    }
    ::close(fd);
    if (!failed.error.empty()) return failed;
    return hash_stage_text(text);
}

}  // namespace vorne::stagefile
