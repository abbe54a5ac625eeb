#include "editor/stage_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "stagefile/chars.h"
#include "stagefile/reader.h"

namespace vorne::editor {

namespace {

std::string reason(int error_number) {
    return std::strerror(error_number);
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Writes all of contents to fd; false with errno set on failure.
bool write_all(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        contents.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// True when the last line of the open file fd (of size bytes) lacks its line
// end: the file ends neither in CR nor in CR LF. False when it cannot tell.
bool last_line_unterminated(int fd, off_t size) {
    if (size <= 0) return false;
    char tail[2] = {0, 0};
    const off_t start = size >= 2 ? size - 2 : 0;
    const size_t wanted = static_cast<size_t>(size - start);
    if (::pread(fd, tail, wanted, start) != static_cast<ssize_t>(wanted)) return false;
    const char last = tail[wanted - 1];
    if (last == '\r') return false;
    if (last == '\n' && wanted == 2 && tail[0] == '\r') return false;
    return true;
}

mode_t default_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

int64_t parse_row_count(std::string_view line) {
    while (!line.empty() && is_blank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && is_blank(line.back()))
        line.remove_suffix(1);
    bool negative = false;
    if (!line.empty() && (line.front() == '+' || line.front() == '-')) {
        negative = line.front() == '-';
        line.remove_prefix(1);
    }
    if (line.empty()) return -1;
    int64_t value = 0;
    for (char c : line) {
        if (c < '0' || c > '9') return -1;
        // Anything past a few digits is far beyond any stage: stop counting.
        if (value < 1000000) value = value * 10 + (c - '0');
    }
    if (negative && value != 0) return -1;
    return value;
}

bool read_stage_file(const std::string& path, LoadedStage& stage, std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = path + ": is a folder, not a stage file";
        return false;
    }
    stagefile::Reader reader;
    if (!reader.open(path, &error)) return false;

    std::string line;
    if (!reader.read_line(line)) {
        error = path + ": the file is empty; it should start with the number of rows";
        return false;
    }
    const int64_t count = parse_row_count(line);
    if (count < 0 || count > kMaxCells) {
        error = path + ", line 1: the row count \"" + line + "\" is not a number from 0 to " +
                std::to_string(kMaxCells);
        return false;
    }

    LoadedStage loaded;
    loaded.height = static_cast<int32_t>(count);
    for (int32_t y = 1; y <= loaded.height; ++y) {
        if (!reader.read_line(line)) {
            error = path + ": the file ends after " + std::to_string(y - 1) + " of the " +
                    std::to_string(loaded.height) + " rows its first line announces";
            return false;
        }
        const std::vector<std::string_view> characters = stagefile::split_characters(line);
        if (y == 1) {
            if (characters.size() > static_cast<size_t>(kMaxCells)) {
                error = path + ", line 2: the first row is " + std::to_string(characters.size()) +
                        " cells wide; a stage has at most " + std::to_string(kMaxCells);
                return false;
            }
            loaded.width = static_cast<int32_t>(characters.size());
        }
        // A short row ends in empty cells; a longer one is cut at the width.
        std::vector<std::string> row(static_cast<size_t>(loaded.width));
        for (size_t x = 0; x < row.size() && x < characters.size(); ++x) {
            row[x] = std::string(characters[x]);
        }
        loaded.cells.push_back(std::move(row));
    }
    stage = std::move(loaded);
    return true;
}

void apply_loaded_stage(StageModel& model, const LoadedStage& stage) {
    model.set_stage_width(stage.width);
    model.set_stage_height(stage.height);
    model.framed_width = model.stage_width;
    model.framed_height = model.stage_height;
    for (int32_t y = 1; y <= model.stage_height; ++y) {
        const std::vector<std::string>& row = stage.cells[static_cast<size_t>(y - 1)];
        for (int32_t x = 1; x <= model.stage_width; ++x) {
            model.cell(x, y) = row[static_cast<size_t>(x - 1)];
        }
    }
}

bool load_stage(StageModel& model, const std::string& path, std::string& error) {
    LoadedStage stage;
    if (!read_stage_file(path, stage, error)) return false;
    apply_loaded_stage(model, stage);
    return true;
}

bool save_stage_alone(const StageModel& model, const std::string& path, std::string& error) {
    return replace_file(path, model.stage_block(), error);
}

bool save_stage_appended(const StageModel& model, const std::string& path, std::string& error) {
    return append_to_file(path, model.stage_block(), error);
}

bool replace_file(const std::string& path, std::string_view contents, std::string& error) {
    if (path.empty()) {
        error = "no file name was given";
        return false;
    }
    // Through a symbolic link, replace the file it names, not the link.
    std::string target = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    mode_t mode = default_file_mode();
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = path + ": is a folder";
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            error = path + ": is not a regular file";
            return false;
        }
        mode = info.st_mode & 07777;
    }

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + (slash == std::string::npos ? "/." : ".") + name + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = path + ": cannot write a new file beside it: " + reason(errno);
        return false;
    }
    bool written = write_all(fd, contents) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int failure = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (written && ::rename(temp.c_str(), target.c_str()) != 0) {
        written = false;
        failure = errno;
    }
    if (!written) {
        ::unlink(temp.c_str());
        error = path + ": " + reason(failure) + "; the file was not changed";
        return false;
    }
    return true;
}

bool append_to_file(const std::string& path, std::string_view contents, std::string& error) {
    if (path.empty()) {
        error = "no file name was given";
        return false;
    }
    bool created = true;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
        // A file we may write but not read: append without looking at its end.
        if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    }
    if (fd < 0) {
        error = path + ": " + reason(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = path + ": " + reason(errno);
        ::close(fd);
        return false;
    }
    const off_t size_before = info.st_size;
    const bool regular = S_ISREG(info.st_mode);

    std::string block;
    if (regular && last_line_unterminated(fd, size_before)) block = "\r\n";
    block += contents;

    bool written = write_all(fd, block) && (!regular || ::fsync(fd) == 0);
    int failure = written ? 0 : errno;
    if (!written) {
        // Take back whatever part of the block reached the file.
        if (created) {
            ::unlink(path.c_str());
        } else if (regular) {
            (void)::ftruncate(fd, size_before);
        }
    }
    // The block is on the disk once fsync succeeded; closing changes nothing.
    ::close(fd);
    if (!written) {
        error = path + ": " + reason(failure) + "; the stage was not appended";
        return false;
    }
    return true;
}

}  // namespace vorne::editor
