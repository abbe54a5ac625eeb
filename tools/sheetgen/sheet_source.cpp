#include "tools/sheetgen/sheet_source.h"

#include <charconv>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

namespace vorne {
namespace {

constexpr int32_t max_sheet_side = 4096;
// silhouette-of may name a sheet that itself uses silhouette-of; a cycle
// would recurse for ever, so the chain is cut off here.
constexpr int max_nesting = 8;

constexpr Pixel white = rgb(255, 255, 255);
constexpr Pixel black = rgb(0, 0, 0);

// Colour of one key: empty for the clear key (white in an image, black in a silhouette).
using KeyColour = std::optional<Pixel>;
using Palette = std::map<char, KeyColour>;

struct Pattern {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<std::string> rows;
    std::vector<int> row_lines;
};

std::string quoted_key(char k) {
    return std::string("'") + k + "'";
}

std::vector<std::string> split_words(std::string_view s) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t')
            ++j;
        if (j > i) words.emplace_back(s.substr(i, j - i));
        i = j;
    }
    return words;
}

// Drops a trailing comment ('#' is never a key) and surrounding blanks.
std::string_view strip_line(std::string_view s) {
    if (size_t hash = s.find('#'); hash != std::string_view::npos) s = s.substr(0, hash);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::optional<int32_t> to_int(const std::string& word) {
    int32_t v = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
    if (ec != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return v;
}

std::string size_text(int32_t w, int32_t h) {
    return std::to_string(w) + " x " + std::to_string(h);
}

std::optional<SheetPlanes> load_nested(const std::filesystem::path& path, int nesting,
                                       std::string* error);

class SheetBuilder {
  public:
    SheetBuilder(std::string file, std::filesystem::path base_dir, int nesting)
        : file_(std::move(file)), base_dir_(std::move(base_dir)), nesting_(nesting) {}

    bool run(std::string_view text);
    SheetPlanes take() { return {std::move(image_), std::move(shape_)}; }
    const std::string& error() const { return error_; }

  private:
    enum class Block { none, palette, pattern };
    using Words = std::vector<std::string>;

    bool fail(int line, const std::string& problem) {
        error_ = file_ + ':' + std::to_string(line) + ": " + problem;
        return false;
    }

    bool line_outside(int line, const Words& w);
    bool line_in_palette(int line, std::string_view text);
    bool line_in_pattern(int line, std::string_view text);
    bool finish_block(int line);

    bool need_size(int line, const std::string& what);
    bool read_ints(int line, const Words& w, size_t from, size_t count, const char* what,
                   std::vector<int32_t>& out);
    bool check_area(int line, int32_t x, int32_t y, int32_t w, int32_t h);
    bool effective_palette(int line, const std::string& name, Palette& out);
    bool key_colour(const Palette& palette, const std::string& palette_name, const Pattern& p,
                    int32_t row, int32_t col, int use_line, KeyColour& out);

    bool do_size(int line, const Words& w);
    bool do_fill(int line, const Words& w);
    bool do_tile(int line, const Words& w);
    bool do_draw(int line, const Words& w);
    bool do_silhouette_of(int line, const Words& w);

    std::string file_;
    std::filesystem::path base_dir_;
    int nesting_;
    std::string error_;

    bool have_size_ = false;
    Image image_;
    std::vector<uint8_t> shape_;

    Palette base_palette_;
    std::map<std::string, Palette> named_palettes_;
    std::map<std::string, Pattern> patterns_;

    Block block_ = Block::none;
    int block_line_ = 0;
    Palette* open_palette_ = nullptr;
    std::map<char, int> open_palette_keys_;  // keys set in the open block -> their line
    std::string open_pattern_name_;
    Pattern open_pattern_;
};

bool SheetBuilder::run(std::string_view text) {
    int line = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view s = strip_line(text.substr(pos, end - pos));
        pos = end + 1;
        ++line;
        if (s.empty()) continue;
        bool ok = true;
        if (block_ != Block::none && s == "end") {
            ok = finish_block(line);
        } else if (block_ == Block::palette) {
            ok = line_in_palette(line, s);
        } else if (block_ == Block::pattern) {
            ok = line_in_pattern(line, s);
        } else {
            ok = line_outside(line, split_words(s));
        }
        if (!ok) return false;
    }
    if (block_ == Block::palette) return fail(block_line_, "palette has no 'end'");
    if (block_ == Block::pattern) {
        return fail(block_line_, "pattern '" + open_pattern_name_ + "' has no 'end'");
    }
    if (!have_size_) return fail(line, "no 'size' line: the sheet's width and height are missing");
    return true;
}

bool SheetBuilder::line_outside(int line, const Words& w) {
    const std::string& d = w[0];
    if (d == "size") return do_size(line, w);
    if (d == "palette") {
        if (w.size() > 2) return fail(line, "usage: palette [NAME]");
        block_ = Block::palette;
        block_line_ = line;
        open_palette_keys_.clear();
        if (w.size() == 1) {
            open_palette_ = &base_palette_;
        } else {
            if (named_palettes_.count(w[1])) {
                return fail(line, "palette '" + w[1] + "' is defined twice");
            }
            open_palette_ = &named_palettes_[w[1]];
        }
        return true;
    }
    if (d == "pattern") {
        if (w.size() != 4) return fail(line, "usage: pattern NAME WIDTH HEIGHT");
        if (patterns_.count(w[1])) return fail(line, "pattern '" + w[1] + "' is defined twice");
        std::vector<int32_t> n;
        if (!read_ints(line, w, 2, 2, "pattern size", n)) return false;
        if (n[0] < 1 || n[1] < 1 || n[0] > max_sheet_side || n[1] > max_sheet_side) {
            return fail(line, "pattern size must be 1 to 4096 pixels a side");
        }
        block_ = Block::pattern;
        block_line_ = line;
        open_pattern_name_ = w[1];
        open_pattern_ = Pattern{n[0], n[1], {}, {}};
        return true;
    }
    if (d == "fill") return do_fill(line, w);
    if (d == "tile") return do_tile(line, w);
    if (d == "draw") return do_draw(line, w);
    if (d == "silhouette-of") return do_silhouette_of(line, w);
    if (d == "end") return fail(line, "'end' without an open palette or pattern");
    return fail(line, "unknown directive '" + d + "'");
}

bool SheetBuilder::line_in_palette(int line, std::string_view text) {
    auto w = split_words(text);
    if (w[0].size() != 1) {
        return fail(line, "palette key must be one character, not '" + w[0] + "'");
    }
    char key = w[0][0];
    if (static_cast<unsigned char>(key) < 0x21 || static_cast<unsigned char>(key) > 0x7E) {
        return fail(line, "palette key must be a printable ASCII character");
    }
    if (auto seen = open_palette_keys_.find(key); seen != open_palette_keys_.end()) {
        return fail(line, "key " + quoted_key(key) + " is already set on line " +
                              std::to_string(seen->second));
    }
    KeyColour colour;
    if (w.size() == 2 && w[1] == "clear") {
        colour = std::nullopt;
    } else if (w.size() == 4) {
        std::vector<int32_t> c;
        if (!read_ints(line, w, 1, 3, "colour", c)) return false;
        for (int32_t v : c) {
            if (v < 0 || v > 255) return fail(line, "colour values must be 0 to 255");
        }
        colour =
            rgb(static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]), static_cast<uint8_t>(c[2]));
    } else {
        return fail(line, "usage: KEY RED GREEN BLUE, or KEY clear");
    }
    open_palette_keys_[key] = line;
    (*open_palette_)[key] = colour;
    return true;
}

bool SheetBuilder::line_in_pattern(int line, std::string_view text) {
    Pattern& p = open_pattern_;
    if (static_cast<int32_t>(p.rows.size()) == p.height) {
        return fail(line, "pattern '" + open_pattern_name_ + "' has more than its " +
                              std::to_string(p.height) + " rows (missing 'end'?)");
    }
    if (text.find_first_of(" \t") != std::string_view::npos) {
        return fail(line, "blank inside a pattern row (keys are single characters)");
    }
    if (static_cast<int32_t>(text.size()) != p.width) {
        return fail(line, "row " + std::to_string(p.rows.size() + 1) + " of pattern '" +
                              open_pattern_name_ + "' has " + std::to_string(text.size()) +
                              " keys, expected " + std::to_string(p.width));
    }
    p.rows.emplace_back(text);
    p.row_lines.push_back(line);
    return true;
}

bool SheetBuilder::finish_block(int line) {
    if (block_ == Block::pattern) {
        Pattern& p = open_pattern_;
        if (static_cast<int32_t>(p.rows.size()) != p.height) {
            return fail(line, "pattern '" + open_pattern_name_ + "' has " +
                                  std::to_string(p.rows.size()) + " rows, expected " +
                                  std::to_string(p.height));
        }
        patterns_[open_pattern_name_] = std::move(open_pattern_);
    }
    block_ = Block::none;
    open_palette_ = nullptr;
    return true;
}

bool SheetBuilder::need_size(int line, const std::string& what) {
    if (have_size_) return true;
    return fail(line, "'" + what + "' before the 'size' line");
}

bool SheetBuilder::read_ints(int line, const Words& w, size_t from, size_t count, const char* what,
                             std::vector<int32_t>& out) {
    out.clear();
    for (size_t i = from; i < from + count; ++i) {
        if (i >= w.size()) return fail(line, std::string("missing number in ") + what);
        auto v = to_int(w[i]);
        if (!v) return fail(line, "'" + w[i] + "' is not a whole number (" + what + ")");
        out.push_back(*v);
    }
    return true;
}

bool SheetBuilder::check_area(int line, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (w < 1 || h < 1) return fail(line, "width and height must be at least 1");
    if (x < 0 || y < 0 || int64_t{x} + w > image_.width() || int64_t{y} + h > image_.height()) {
        return fail(line, "area " + size_text(w, h) + " at (" + std::to_string(x) + "," +
                              std::to_string(y) + ") lies outside the " +
                              size_text(image_.width(), image_.height()) + " sheet");
    }
    return true;
}

bool SheetBuilder::effective_palette(int line, const std::string& name, Palette& out) {
    out = base_palette_;
    if (name.empty()) return true;
    auto it = named_palettes_.find(name);
    if (it == named_palettes_.end()) return fail(line, "no palette named '" + name + "'");
    for (const auto& [k, c] : it->second)
        out[k] = c;
    return true;
}

bool SheetBuilder::key_colour(const Palette& palette, const std::string& palette_name,
                              const Pattern& p, int32_t row, int32_t col, int use_line,
                              KeyColour& out) {
    char key = p.rows[row][col];
    auto it = palette.find(key);
    if (it == palette.end()) {
        std::string where = palette_name.empty() ? "the palette" : "palette '" + palette_name + "'";
        return fail(p.row_lines[row], "key " + quoted_key(key) + " is not in " + where +
                                          " (drawn by line " + std::to_string(use_line) + ")");
    }
    out = it->second;
    return true;
}

bool SheetBuilder::do_size(int line, const Words& w) {
    if (have_size_) return fail(line, "second 'size' line");
    if (w.size() != 3) return fail(line, "usage: size WIDTH HEIGHT");
    std::vector<int32_t> n;
    if (!read_ints(line, w, 1, 2, "size", n)) return false;
    if (n[0] < 1 || n[1] < 1 || n[0] > max_sheet_side || n[1] > max_sheet_side) {
        return fail(line, "sheet size must be 1 to 4096 pixels a side");
    }
    // An untouched pixel is black: the empty cells and the ground of every silhouette.
    image_ = Image(n[0], n[1], black);
    shape_.assign(static_cast<size_t>(n[0]) * n[1], 0);
    have_size_ = true;
    return true;
}

bool SheetBuilder::do_fill(int line, const Words& w) {
    if (!need_size(line, "fill")) return false;
    if (w.size() != 6 && !(w.size() == 8 && w[6] == "palette")) {
        return fail(line, "usage: fill X Y WIDTH HEIGHT KEY [palette NAME]");
    }
    std::vector<int32_t> n;
    if (!read_ints(line, w, 1, 4, "fill area", n)) return false;
    if (!check_area(line, n[0], n[1], n[2], n[3])) return false;
    if (w[5].size() != 1) return fail(line, "fill takes one key, not '" + w[5] + "'");
    Palette palette;
    std::string palette_name = w.size() == 8 ? w[7] : "";
    if (!effective_palette(line, palette_name, palette)) return false;
    auto it = palette.find(w[5][0]);
    if (it == palette.end()) return fail(line, "key " + quoted_key(w[5][0]) + " is not set");
    if (!it->second) return fail(line, "fill needs an opaque colour, not the clear key");
    for (int32_t y = n[1]; y < n[1] + n[3]; ++y) {
        for (int32_t x = n[0]; x < n[0] + n[2]; ++x)
            image_.set(x, y, *it->second);
    }
    return true;
}

bool SheetBuilder::do_tile(int line, const Words& w) {
    if (!need_size(line, "tile")) return false;
    if (w.size() != 6 && !(w.size() == 8 && w[6] == "palette")) {
        return fail(line, "usage: tile PATTERN X Y WIDTH HEIGHT [palette NAME]");
    }
    auto pit = patterns_.find(w[1]);
    if (pit == patterns_.end()) return fail(line, "no pattern named '" + w[1] + "'");
    const Pattern& p = pit->second;
    std::vector<int32_t> n;
    if (!read_ints(line, w, 2, 4, "tile area", n)) return false;
    if (!check_area(line, n[0], n[1], n[2], n[3])) return false;
    Palette palette;
    std::string palette_name = w.size() == 8 ? w[7] : "";
    if (!effective_palette(line, palette_name, palette)) return false;
    for (int32_t y = 0; y < n[3]; ++y) {
        for (int32_t x = 0; x < n[2]; ++x) {
            KeyColour c;
            if (!key_colour(palette, palette_name, p, y % p.height, x % p.width, line, c)) {
                return false;
            }
            if (!c) {
                return fail(p.row_lines[y % p.height],
                            "a tiled pattern must be opaque, but it uses the clear key (tiled "
                            "by line " +
                                std::to_string(line) + ")");
            }
            image_.set(n[0] + x, n[1] + y, *c);
        }
    }
    return true;
}

bool SheetBuilder::do_draw(int line, const Words& w) {
    if (!need_size(line, "draw")) return false;
    const char* usage = "usage: draw PATTERN X Y [mirror] [palette NAME] [silhouette X Y]";
    if (w.size() < 4) return fail(line, usage);
    auto pit = patterns_.find(w[1]);
    if (pit == patterns_.end()) return fail(line, "no pattern named '" + w[1] + "'");
    const Pattern& p = pit->second;
    std::vector<int32_t> at;
    if (!read_ints(line, w, 2, 2, "draw position", at)) return false;
    bool mirror = false;
    std::string palette_name;
    std::optional<std::pair<int32_t, int32_t>> silhouette;
    for (size_t i = 4; i < w.size();) {
        if (w[i] == "mirror") {
            mirror = true;
            i += 1;
        } else if (w[i] == "palette" && i + 1 < w.size()) {
            palette_name = w[i + 1];
            i += 2;
        } else if (w[i] == "silhouette") {
            std::vector<int32_t> m;
            if (!read_ints(line, w, i + 1, 2, "silhouette position", m)) return false;
            silhouette = std::make_pair(m[0], m[1]);
            i += 3;
        } else {
            return fail(line, "unexpected '" + w[i] + "'; " + usage);
        }
    }
    if (!check_area(line, at[0], at[1], p.width, p.height)) return false;
    if (silhouette && !check_area(line, silhouette->first, silhouette->second, p.width, p.height)) {
        return false;
    }
    Palette palette;
    if (!effective_palette(line, palette_name, palette)) return false;

    const size_t stride = static_cast<size_t>(image_.width());
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < p.width; ++x) {
            KeyColour c;
            int32_t src_x = mirror ? p.width - 1 - x : x;
            if (!key_colour(palette, palette_name, p, y, src_x, line, c)) return false;
            int32_t dx = at[0] + x, dy = at[1] + y;
            uint8_t& covered = shape_[dy * stride + dx];
            if (c) {
                image_.set(dx, dy, *c);
                covered = 1;
            } else if (!covered) {
                // Around a sprite its image is white, so the and pass leaves the backdrop alone.
                image_.set(dx, dy, white);
            }
        }
    }
    if (silhouette) {
        for (int32_t y = 0; y < p.height; ++y) {
            for (int32_t x = 0; x < p.width; ++x) {
                bool covered = shape_[(at[1] + y) * stride + at[0] + x] != 0;
                image_.set(silhouette->first + x, silhouette->second + y, covered ? white : black);
            }
        }
    }
    return true;
}

bool SheetBuilder::do_silhouette_of(int line, const Words& w) {
    if (!need_size(line, "silhouette-of")) return false;
    if (w.size() != 2) return fail(line, "usage: silhouette-of SOURCE-FILE");
    if (nesting_ >= max_nesting) {
        return fail(line, "silhouette-of nested too deeply (do two sources name each other?)");
    }
    std::string inner_error;
    auto other = load_nested(base_dir_ / w[1], nesting_ + 1, &inner_error);
    if (!other) return fail(line, "in silhouette-of " + w[1] + ": " + inner_error);
    if (other->image.width() != image_.width() || other->image.height() != image_.height()) {
        return fail(line, w[1] + " is " + size_text(other->image.width(), other->image.height()) +
                              ", this sheet is " + size_text(image_.width(), image_.height()));
    }
    const size_t stride = static_cast<size_t>(image_.width());
    for (int32_t y = 0; y < image_.height(); ++y) {
        for (int32_t x = 0; x < image_.width(); ++x) {
            image_.set(x, y, other->shape[y * stride + x] ? white : black);
        }
    }
    return true;
}

std::optional<SheetPlanes> parse_nested(std::string_view text, const std::string& file_label,
                                        const std::filesystem::path& base_dir, int nesting,
                                        std::string* error) {
    SheetBuilder builder(file_label, base_dir, nesting);
    if (!builder.run(text)) {
        if (error) *error = builder.error();
        return std::nullopt;
    }
    return builder.take();
}

std::optional<SheetPlanes> load_nested(const std::filesystem::path& path, int nesting,
                                       std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = path.string() + ": cannot open the sheet source";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        if (error) *error = path.string() + ": cannot read the sheet source";
        return std::nullopt;
    }
    return parse_nested(text.str(), path.string(), path.parent_path(), nesting, error);
}

}  // namespace

std::optional<SheetPlanes> parse_sheet(std::string_view text, const std::string& file_label,
                                       const std::filesystem::path& base_dir, std::string* error) {
    return parse_nested(text, file_label, base_dir, 0, error);
}

std::optional<SheetPlanes> load_sheet_planes(const std::filesystem::path& path,
                                             std::string* error) {
    return load_nested(path, 0, error);
}

std::optional<Image> load_sheet(const std::filesystem::path& path, std::string* error) {
    auto planes = load_nested(path, 0, error);
    if (!planes) return std::nullopt;
    return std::move(planes->image);
}

}  // namespace vorne
