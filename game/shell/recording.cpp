#include "game/shell/recording.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "game/shell/options.h"
#include "game/shell/whole_number.h"
#include "stagefile/blocks.h"
#include "stagefile/files.h"

namespace vorne {

namespace {

constexpr std::string_view first_header_line =
    "# vorne1.0 recording: the input of every tick (--headless --inputs, --replay)";

bool one_line(const std::string& text) {
    return text.find_first_of("\r\n") == std::string::npos;
}

// "# key: value" -> key and value; false for other lines.
bool header_field(std::string_view line, std::string_view& key, std::string_view& value) {
    if (line.substr(0, 2) != "# ") return false;
    line.remove_prefix(2);
    const size_t colon = line.find(": ");
    if (colon == std::string_view::npos) {
        if (!line.empty() && line.back() == ':') {  // "# key:" with nothing after it
            key = line.substr(0, line.size() - 1);
            value = {};
            return true;
        }
        return false;
    }
    key = line.substr(0, colon);
    value = line.substr(colon + 2);
    return true;
}

}  // namespace

std::optional<std::string> recording_header(const std::optional<std::string>& map,
                                            std::optional<int32_t> stage, const std::string& file,
                                            std::string& error) {
    if ((map && !one_line(*map)) || !one_line(file)) {
        error = "cannot record a stage file whose path holds a line end";
        return std::nullopt;
    }
    const StageFileHashes hashes = hash_stage_file(file);
    std::string version = version_text();
    while (!version.empty() && version.back() == '\n')
        version.pop_back();
    std::string text = std::string(first_header_line) + "\n# version: " + version + "\n";
    if (map) text += "# map: " + *map + "\n";
    if (stage) text += "# stage: " + std::to_string(*stage) + "\n";
    text += "# file: " + file + "\n";
    // A file the game cannot read is recorded all the same: the run shows
    // the game refusing it.
    if (!hashes.error.empty()) return text + "# file-error: " + hashes.error + "\n";
    text += "# file-bytes: " + std::to_string(hashes.bytes) +
            "\n# file-fnv1a64: " + hex64(hashes.hash) + "\n";
    if (stage && static_cast<size_t>(*stage) <= hashes.stages.size()) {
        const StageBlockHash& block = hashes.stages[static_cast<size_t>(*stage) - 1];
        text += "# stage-bytes: " + std::to_string(block.bytes) +
                "\n# stage-fnv1a64: " + hex64(block.hash) + "\n";
    }
    return text;
}

RecordingHeader parse_recording_header(std::string_view text) {
    RecordingHeader header;
    std::optional<uint64_t> file_bytes, stage_bytes, file_hash, stage_hash;
    auto number = [](std::string_view v, int base) -> std::optional<uint64_t> {
        uint64_t n = 0;
        auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n, base);
        if (v.empty() || ec != std::errc() || end != v.data() + v.size()) return std::nullopt;
        return n;
    };
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string_view key, value;
        if (!header_field(line, key, value)) continue;
        if (key == "version") {
            header.version = value;
        } else if (key == "map") {
            header.map = std::string(value);
        } else if (key == "stage") {
            int64_t n = 0;
            if (parse_int(value, 1, INT32_MAX, n)) header.stage = static_cast<int32_t>(n);
        } else if (key == "file") {
            header.file = value;
        } else if (key == "file-bytes") {
            file_bytes = number(value, 10);
        } else if (key == "file-fnv1a64") {
            file_hash = number(value, 16);
        } else if (key == "stage-bytes") {
            stage_bytes = number(value, 10);
        } else if (key == "stage-fnv1a64") {
            stage_hash = number(value, 16);
        } else if (key == "dialog") {
            if (value == "cancelled")
                header.dialog_answers.emplace_back(std::nullopt);
            else
                header.dialog_answers.emplace_back(std::string(value));
        }
    }
    if (file_bytes && file_hash) header.file_hash = StageBlockHash{*file_bytes, *file_hash};
    if (stage_bytes && stage_hash) header.stage_hash = StageBlockHash{*stage_bytes, *stage_hash};
    return header;
}

std::string dialog_note(const std::optional<std::string>& answer) {
    if (!answer) return "dialog: cancelled";
    if (!one_line(*answer)) return "dialog-unrecorded: a path holding a line end";
    return "dialog: " + *answer;
}

std::string input_line(const InputStep& step) {
    std::string text = step.count > 1 ? std::to_string(step.count) + "*" : "";
    return text + std::to_string(step.stick_x) + " " + std::to_string(step.stick_y) + " " +
           std::to_string(step.buttons);
}

bool Recorder::open(const std::string& path, const std::string& header, std::string& error) {
    if (!file_.open(path, error)) return false;
    if (!file_.write(header, error) || !file_.flush(error)) return false;
    return true;
}

void Recorder::write_pending() {
    if (!pending_) return;
    // Each line goes out at once: a game that dies (its display gone) keeps
    // all but the ticks of its last input.
    if (failure_.empty()) file_.write(input_line(*pending_) + "\n", failure_);
    if (failure_.empty()) file_.flush(failure_);
    pending_.reset();
}

void Recorder::tick(int16_t stick_x, int16_t stick_y, int32_t buttons) {
    ++ticks_;
    if (pending_ && pending_->stick_x == stick_x && pending_->stick_y == stick_y &&
        pending_->buttons == buttons) {
        ++pending_->count;
        return;
    }
    write_pending();
    pending_ = InputStep{1, stick_x, stick_y, buttons};
}

void Recorder::note(std::string_view comment) {
    write_pending();
    if (failure_.empty()) file_.write("# " + std::string(comment) + "\n", failure_);
    if (failure_.empty()) file_.flush(failure_);
}

bool Recorder::finish(std::string_view how, std::string& error) {
    note("end: " + std::to_string(ticks_) + (ticks_ == 1 ? " tick, " : " ticks, ") +
         std::string(how));
    std::string closing;
    const bool closed = file_.close(closing);
    error = !failure_.empty() ? failure_ : closing;
    return failure_.empty() && closed;
}

}  // namespace vorne
