// A small JSON writer for the headless trace and dumps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorne {

class JsonWriter {
  public:
    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(int64_t v);
    JsonWriter& value(std::string_view v);
    JsonWriter& value(const char* v) { return value(std::string_view(v)); }

    const std::string& text() const { return out_; }

  private:
    void separate();
    std::string out_;
    bool need_comma_ = false;
};

// Appends s to out as a JSON string; bytes that are not valid UTF-8 become
// U+FFFD so the output is always valid JSON.
void append_json_string(std::string& out, std::string_view s);

}  // namespace vorne
