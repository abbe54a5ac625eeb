#include "game/render/atlas_text.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <tuple>

#include "stagefile/hashes.h"

namespace vorne {
namespace {

constexpr std::string_view magic = "VGA1";
constexpr size_t hash_size = 8;
constexpr size_t style_head_size = 14;
constexpr size_t glyph_size = 14;
constexpr size_t kerning_size = 10;
// More ink than any sensible atlas holds: a damaged count is refused before
// it asks for the memory.
constexpr size_t most_pixels = size_t{1} << 26;
constexpr int64_t most_file_bytes = int64_t{1} << 24;

// --- Coverage coding ---------------------------------------------------------

constexpr uint32_t probability_one = 1 << 11;
constexpr uint32_t range_floor = 1 << 24;

// Adapts a probability of a 0 bit to the bit just coded.
void adapt(uint16_t& p, int bit) {
    if (bit)
        p = static_cast<uint16_t>(p - (p >> 5));
    else
        p = static_cast<uint16_t>(p + ((probability_one - p) >> 5));
}

class RangeEncoder {
  public:
    int bit(uint16_t& p, int bit) {
        uint32_t bound = (range_ >> 11) * p;
        if (bit) {
            low_ += bound;
            range_ -= bound;
        } else {
            range_ = bound;
        }
        adapt(p, bit);
        while (range_ < range_floor) {
            range_ <<= 8;
            shift_low();
        }
        return bit;
    }
    std::string finish() {
        for (int i = 0; i < 5; ++i)
            shift_low();
        return std::move(out_);
    }

  private:
    void shift_low() {
        if (static_cast<uint32_t>(low_) < 0xFF000000u || (low_ >> 32) != 0) {
            auto carry = static_cast<uint8_t>(low_ >> 32);
            uint8_t byte = cache_;
            do {
                out_ += static_cast<char>(static_cast<uint8_t>(byte + carry));
                byte = 0xFF;
            } while (--pending_ != 0);
            cache_ = static_cast<uint8_t>(low_ >> 24);
        }
        ++pending_;
        low_ = (low_ & 0x00FFFFFFu) << 8;
    }
    uint64_t low_ = 0;
    uint32_t range_ = 0xFFFFFFFFu;
    uint8_t cache_ = 0;
    uint64_t pending_ = 1;
    std::string out_;
};

class RangeDecoder {
  public:
    explicit RangeDecoder(std::string_view in) : in_(in) {
        for (int i = 0; i < 5; ++i)
            code_ = (code_ << 8) | next();
    }
    int bit(uint16_t& p, int) {
        uint32_t bound = (range_ >> 11) * p;
        int bit = code_ >= bound;
        if (bit) {
            code_ -= bound;
            range_ -= bound;
        } else {
            range_ = bound;
        }
        adapt(p, bit);
        while (range_ < range_floor) {
            range_ <<= 8;
            code_ = (code_ << 8) | next();
        }
        return bit;
    }
    // False once the coder wanted bytes past the end of its input.
    bool within() const { return at_ <= in_.size(); }

  private:
    uint32_t next() { return at_ < in_.size() ? static_cast<uint8_t>(in_[at_++]) : (++at_, 0); }
    std::string_view in_;
    size_t at_ = 0;
    uint32_t code_ = 0;
    uint32_t range_ = 0xFFFFFFFFu;
};

struct CoverageModel {
    uint16_t not_zero[9];
    uint16_t not_full[9];
    uint16_t value[256];
    CoverageModel() {
        std::fill(std::begin(not_zero), std::end(not_zero), probability_one / 2);
        std::fill(std::begin(not_full), std::end(not_full), probability_one / 2);
        std::fill(std::begin(value), std::end(value), probability_one / 2);
    }
};

int pixel_kind(uint8_t c) {
    return c == 0 ? 0 : c == 255 ? 1 : 2;
}

// Codes a glyph's coverage through the coder: the encoder writes the pixels
// as they are, the decoder fills them in (they start at 0).
template <class Coder>
void code_coverage(Coder& coder, CoverageModel& m, int32_t width, std::vector<uint8_t>& pixels) {
    for (size_t i = 0; i < pixels.size(); ++i) {
        size_t x = i % static_cast<size_t>(width);
        int context = 3 * pixel_kind(x > 0 ? pixels[i - 1] : 0) +
                      pixel_kind(i >= static_cast<size_t>(width) ? pixels[i - width] : 0);
        uint8_t& c = pixels[i];
        if (!coder.bit(m.not_zero[context], c != 0)) {
            c = 0;
        } else if (!coder.bit(m.not_full[context], c != 255)) {
            c = 255;
        } else {
            uint32_t node = 1;
            for (int b = 7; b >= 0; --b)
                node = node * 2 + coder.bit(m.value[node], (c >> b) & 1);
            c = static_cast<uint8_t>(node - 256);
        }
    }
}

// --- Writing -----------------------------------------------------------------

void put16(std::string& out, int32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t v) {
    put16(out, static_cast<int32_t>(v & 0xFFFF));
    put16(out, static_cast<int32_t>(v >> 16));
}

void put64(std::string& out, uint64_t v) {
    put32(out, static_cast<uint32_t>(v));
    put32(out, static_cast<uint32_t>(v >> 32));
}

bool fits_i16(int32_t v) {
    return v >= -32768 && v <= 32767;
}
bool fits_u8(int32_t v) {
    return v >= 0 && v <= 255;
}

// --- Reading -----------------------------------------------------------------

class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool has(size_t n) const { return bytes_.size() - at_ >= n; }
    size_t left() const { return bytes_.size() - at_; }
    uint32_t u8() { return static_cast<uint8_t>(bytes_[at_++]); }
    uint32_t u16() {
        uint32_t lo = u8();
        return lo | (u8() << 8);
    }
    int32_t i16() { return static_cast<int16_t>(static_cast<uint16_t>(u16())); }
    uint32_t u32() {
        uint32_t lo = u16();
        return lo | (u16() << 16);
    }
    uint64_t u64() {
        uint64_t lo = u32();
        return lo | (uint64_t{u32()} << 32);
    }
    std::string_view take(size_t n) {
        std::string_view part = bytes_.substr(at_, n);
        at_ += n;
        return part;
    }

  private:
    std::string_view bytes_;
    size_t at_ = 0;
};

std::string style_name(size_t index) {
    return "style " + std::to_string(index + 1);
}

std::string glyph_name(size_t style, size_t glyph) {
    return style_name(style) + ", glyph " + std::to_string(glyph + 1);
}

// --- Drawing -----------------------------------------------------------------

// The code points of UTF-8 text; each byte of a broken sequence stands for
// U+FFFD. The desktop reads a C string, so the text ends at a zero byte.
std::vector<uint32_t> code_points(std::string_view utf8) {
    std::vector<uint32_t> out;
    size_t i = 0, n = utf8.size();
    while (i < n) {
        uint8_t b = static_cast<uint8_t>(utf8[i]);
        if (b == 0) break;
        int extra = b < 0x80             ? 0
                    : (b & 0xE0) == 0xC0 ? 1
                    : (b & 0xF0) == 0xE0 ? 2
                    : (b & 0xF8) == 0xF0 ? 3
                                         : -1;
        uint32_t cp = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        bool ok = extra >= 0 && n - i > static_cast<size_t>(extra);
        for (int k = 1; ok && k <= extra; ++k) {
            uint8_t c = static_cast<uint8_t>(utf8[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (cp < smallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

const AtlasGlyph* find_glyph(const AtlasStyle& style, uint32_t code) {
    auto it = std::lower_bound(style.glyphs.begin(), style.glyphs.end(), code,
                               [](const AtlasGlyph& g, uint32_t c) { return g.code < c; });
    return it != style.glyphs.end() && it->code == code ? &*it : nullptr;
}

int32_t find_kerning(const AtlasStyle& style, uint32_t left, uint32_t right) {
    if (style.kerning.empty()) return 0;
    auto it = std::lower_bound(
        style.kerning.begin(), style.kerning.end(), std::make_pair(left, right),
        [](const AtlasKerning& k, auto pair) { return std::make_pair(k.left, k.right) < pair; });
    return it != style.kerning.end() && it->left == left && it->right == right ? it->adjustment : 0;
}

int64_t floor_pixels(int64_t sixty_fourths) {
    return sixty_fourths >= 0 ? sixty_fourths / 64 : -((-sixty_fourths + 63) / 64);
}

// std::lround of a drawing position, kept well inside int64_t.
int64_t round_position(double v) {
    if (!(v > -1e12)) return -1000000000000;  // NaN too
    if (v > 1e12) return 1000000000000;
    return std::lround(v);
}

int32_t null_line_height(const TextStyle& style) {
    return static_cast<int32_t>(std::lround(style.points * 4.0 / 3.0 * 1.2));
}

}  // namespace

int32_t atlas_points(double points) {
    if (!(points < 1e6)) return 1000000;
    return std::max(1, static_cast<int32_t>(std::lround(points)));
}

std::optional<std::string> encode_atlas(const Atlas& atlas, std::string& error) {
    std::string out;
    if (atlas.styles.size() > 0xFFFF) {
        error = "too many styles for a glyph atlas";
        return std::nullopt;
    }
    put16(out, static_cast<int32_t>(atlas.styles.size()));
    RangeEncoder coder;
    CoverageModel model;
    for (size_t s = 0; s < atlas.styles.size(); ++s) {
        const AtlasStyle& style = atlas.styles[s];
        if (!fits_u8(style.points) || style.points == 0 || !fits_i16(style.ascent) ||
            !fits_i16(style.line_skip) || !fits_i16(style.missing_advance) ||
            style.glyphs.size() > 0xFFFF || style.kerning.size() > 0xFFFF) {
            error = style_name(s) + " does not fit a glyph atlas";
            return std::nullopt;
        }
        out += static_cast<char>(style.face == Face::mincho ? 1 : 0);
        out += static_cast<char>(style.points);
        out += static_cast<char>(style.bold ? 1 : 0);
        out += '\0';
        put16(out, style.ascent);
        put16(out, style.line_skip);
        put16(out, style.missing_advance);
        put16(out, static_cast<int32_t>(style.glyphs.size()));
        put16(out, static_cast<int32_t>(style.kerning.size()));
        for (size_t i = 0; i < style.glyphs.size(); ++i) {
            const AtlasGlyph& g = style.glyphs[i];
            if ((i > 0 && style.glyphs[i - 1].code >= g.code) || g.code > 0x10FFFF ||
                !fits_i16(g.advance) || !fits_i16(g.box_left) || !fits_i16(g.box_top) ||
                !fits_u8(g.ink_x) || !fits_u8(g.ink_y) || !fits_u8(g.ink_width) ||
                !fits_u8(g.ink_height) ||
                g.coverage.size() != static_cast<size_t>(g.ink_width) * g.ink_height) {
                error = glyph_name(s, i) + " does not fit a glyph atlas or is out of order";
                return std::nullopt;
            }
            put32(out, g.code);
            put16(out, g.advance);
            put16(out, g.box_left);
            put16(out, g.box_top);
            out += static_cast<char>(g.ink_x);
            out += static_cast<char>(g.ink_y);
            out += static_cast<char>(g.ink_width);
            out += static_cast<char>(g.ink_height);
            std::vector<uint8_t> pixels = g.coverage;
            code_coverage(coder, model, g.ink_width, pixels);
        }
        for (size_t i = 0; i < style.kerning.size(); ++i) {
            const AtlasKerning& k = style.kerning[i];
            if ((i > 0 && std::make_pair(style.kerning[i - 1].left, style.kerning[i - 1].right) >=
                              std::make_pair(k.left, k.right)) ||
                !fits_i16(k.adjustment)) {
                error = style_name(s) + ", kerning pair " + std::to_string(i + 1) +
                        " does not fit a glyph atlas or is out of order";
                return std::nullopt;
            }
            put32(out, k.left);
            put32(out, k.right);
            put16(out, k.adjustment);
        }
    }
    std::string coded = coder.finish();
    put32(out, static_cast<uint32_t>(coded.size()));
    out += coded;
    std::string file(magic);
    put64(file, stagefile::fnv1a64(out));
    return file + out;
}

std::optional<Atlas> decode_atlas(std::string_view bytes, std::string& error) {
    Reader in(bytes);
    if (!in.has(magic.size()) || in.take(magic.size()) != magic) {
        error = "not a glyph atlas (it does not start with \"VGA1\")";
        return std::nullopt;
    }
    if (!in.has(hash_size) ||
        in.u64() != stagefile::fnv1a64(bytes.substr(magic.size() + hash_size))) {
        error = "the glyph atlas is damaged (its bytes do not match their hash)";
        return std::nullopt;
    }
    if (!in.has(2)) {
        error = "the glyph atlas ends before its style count";
        return std::nullopt;
    }
    Atlas atlas;
    size_t style_count = in.u16();
    size_t pixel_count = 0;
    for (size_t s = 0; s < style_count; ++s) {
        if (!in.has(style_head_size)) {
            error = "the glyph atlas ends inside " + style_name(s) + "'s description";
            return std::nullopt;
        }
        AtlasStyle style;
        uint32_t face = in.u8(), points = in.u8(), bold = in.u8(), zero = in.u8();
        if (face > 1 || points == 0 || bold > 1 || zero != 0) {
            error = style_name(s) + " of the glyph atlas names no face, size and weight";
            return std::nullopt;
        }
        style.face = face == 1 ? Face::mincho : Face::gothic;
        style.points = static_cast<int32_t>(points);
        style.bold = bold == 1;
        style.ascent = in.i16();
        style.line_skip = in.i16();
        style.missing_advance = in.i16();
        size_t glyph_count = in.u16(), kerning_count = in.u16();
        for (const AtlasStyle& before : atlas.styles) {
            if (before.face == style.face && before.points == style.points &&
                before.bold == style.bold) {
                error = style_name(s) + " of the glyph atlas repeats an earlier one";
                return std::nullopt;
            }
        }
        if (!in.has(glyph_count * glyph_size + kerning_count * kerning_size)) {
            error = "the glyph atlas ends inside " + style_name(s) + "'s glyphs";
            return std::nullopt;
        }
        style.glyphs.resize(glyph_count);
        for (size_t i = 0; i < glyph_count; ++i) {
            AtlasGlyph& g = style.glyphs[i];
            g.code = in.u32();
            g.advance = in.i16();
            g.box_left = in.i16();
            g.box_top = in.i16();
            g.ink_x = static_cast<int32_t>(in.u8());
            g.ink_y = static_cast<int32_t>(in.u8());
            g.ink_width = static_cast<int32_t>(in.u8());
            g.ink_height = static_cast<int32_t>(in.u8());
            if (g.code > 0x10FFFF || (i > 0 && style.glyphs[i - 1].code >= g.code)) {
                error = glyph_name(s, i) + " of the glyph atlas is out of order";
                return std::nullopt;
            }
            pixel_count += static_cast<size_t>(g.ink_width) * g.ink_height;
            if (pixel_count > most_pixels) {
                error = "the glyph atlas claims more ink than an atlas holds";
                return std::nullopt;
            }
        }
        style.kerning.resize(kerning_count);
        for (size_t i = 0; i < kerning_count; ++i) {
            AtlasKerning& k = style.kerning[i];
            k.left = in.u32();
            k.right = in.u32();
            k.adjustment = in.i16();
            if (i > 0 && std::make_pair(style.kerning[i - 1].left, style.kerning[i - 1].right) >=
                             std::make_pair(k.left, k.right)) {
                error = style_name(s) + ", kerning pair " + std::to_string(i + 1) +
                        " of the glyph atlas is out of order";
                return std::nullopt;
            }
        }
        atlas.styles.push_back(std::move(style));
    }
    size_t coded_size = in.has(4) ? in.u32() : 0;
    if (in.left() != coded_size || coded_size < 5) {
        error = "the glyph atlas's coded coverage is not as long as it says";
        return std::nullopt;
    }
    RangeDecoder coder(in.take(coded_size));
    CoverageModel model;
    for (AtlasStyle& style : atlas.styles) {
        for (AtlasGlyph& g : style.glyphs) {
            g.coverage.assign(static_cast<size_t>(g.ink_width) * g.ink_height, 0);
            code_coverage(coder, model, g.ink_width, g.coverage);
        }
    }
    if (!coder.within()) {
        error = "the glyph atlas's coded coverage ends too soon";
        return std::nullopt;
    }
    return atlas;
}

std::optional<Atlas> load_atlas_file(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        error = path + ": cannot be opened";
        return std::nullopt;
    }
    if (file.tellg() > std::streamoff{most_file_bytes}) {
        error = path + ": too large for a glyph atlas";
        return std::nullopt;
    }
    file.seekg(0);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    std::optional<Atlas> atlas = decode_atlas(bytes, error);
    if (!atlas) error = path + ": " + error;
    return atlas;
}

AtlasText::AtlasText(Atlas atlas) : ready_(true), atlas_(std::move(atlas)) {}

AtlasText::AtlasText(std::string_view bytes) {
    if (std::optional<Atlas> atlas = decode_atlas(bytes, error_)) {
        atlas_ = std::move(*atlas);
        ready_ = true;
    }
}

const AtlasStyle* AtlasText::find_style(const TextStyle& style) const {
    int32_t points = atlas_points(style.points);
    for (const AtlasStyle& s : atlas_.styles)
        if (s.face == style.face && s.points == points && s.bold == style.bold) return &s;
    return nullptr;
}

int32_t AtlasText::line_height(const TextStyle& style) {
    const AtlasStyle* s = find_style(style);
    return s ? s->line_skip : null_line_height(style);
}

int32_t AtlasText::draw_text(FrameBuffer& target, double x, double y, std::string_view utf8,
                             const TextStyle& style) {
    const AtlasStyle* s = find_style(style);
    if (!s) return null_line_height(style);
    std::vector<uint32_t> codes = code_points(utf8);

    // Where each glyph's box lies from the pen's start, and how far the
    // picture is moved so that no box starts left of or above it.
    struct Placed {
        const AtlasGlyph* glyph;
        int64_t left, top;
    };
    std::vector<Placed> placed;
    placed.reserve(codes.size());
    int64_t pen = 0, shift_x = 0, shift_y = 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (i > 0) pen += find_kerning(*s, codes[i - 1], codes[i]);
        const AtlasGlyph* g = find_glyph(*s, codes[i]);
        if (!g) {
            pen += s->missing_advance;
            continue;
        }
        Placed p{g, floor_pixels(pen) + g->box_left, int64_t{s->ascent} - g->box_top};
        shift_x = std::max(shift_x, -p.left);
        shift_y = std::max(shift_y, -p.top);
        placed.push_back(p);
        pen += g->advance;
    }

    // The ink on the frame: bounds first, then coverage ORed together.
    const int64_t x0 = round_position(x) + shift_x, y0 = round_position(y) + shift_y;
    const int64_t width = target.width(), height = target.height();
    int64_t left = width, top = height, right = 0, bottom = 0;
    for (Placed& p : placed) {
        p.left += x0 + p.glyph->ink_x;
        p.top += y0 + p.glyph->ink_y;
        if (p.glyph->ink_width == 0 || p.glyph->ink_height == 0) continue;
        left = std::min(left, std::max<int64_t>(p.left, 0));
        top = std::min(top, std::max<int64_t>(p.top, 0));
        right = std::max(right, std::min(p.left + p.glyph->ink_width, width));
        bottom = std::max(bottom, std::min(p.top + p.glyph->ink_height, height));
    }
    if (left >= right || top >= bottom) return s->line_skip;
    const int64_t w = right - left, h = bottom - top;
    scratch_.assign(static_cast<size_t>(w * h), 0);
    for (const Placed& p : placed) {
        const AtlasGlyph& g = *p.glyph;
        for (int32_t gy = 0; gy < g.ink_height; ++gy) {
            int64_t fy = p.top + gy;
            if (fy < top || fy >= bottom) continue;
            for (int32_t gx = 0; gx < g.ink_width; ++gx) {
                int64_t fx = p.left + gx;
                if (fx < left || fx >= right) continue;
                scratch_[static_cast<size_t>((fy - top) * w + (fx - left))] |=
                    g.coverage[static_cast<size_t>(gy) * g.ink_width + gx];
            }
        }
    }
    for (int64_t fy = top; fy < bottom; ++fy) {
        for (int64_t fx = left; fx < right; ++fx) {
            uint32_t a = scratch_[static_cast<size_t>((fy - top) * w + (fx - left))];
            if (a == 0) continue;
            Pixel d = target.at(static_cast<int32_t>(fx), static_cast<int32_t>(fy));
            auto mix = [&](int shift) {
                uint32_t c = (style.colour >> shift) & 0xFF, t = (d >> shift) & 0xFF;
                return ((c * a + t * (255 - a) + 127) / 255) << shift;
            };
            target.set(static_cast<int32_t>(fx), static_cast<int32_t>(fy),
                       0xFF000000u | mix(16) | mix(8) | mix(0));
        }
    }
    return s->line_skip;
}

}  // namespace vorne
