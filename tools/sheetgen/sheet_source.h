// Sprite-sheet sources: small text files that describe one sheet each
// (palette, pixel-map patterns and the drawing steps that place them).
// The format is described in assets/sheets/README.md.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/render/frame_buffer.h"

namespace vorne {

// A sheet as built from its source.
struct SheetPlanes {
    // The picture written to the PNG.
    Image image;
    // One entry per pixel: 1 where a sprite drawn with `draw` covers the pixel.
    // This is what `silhouette-of` turns into another sheet's silhouette.
    std::vector<uint8_t> shape;
};

// Builds a sheet from source text. file_label names the source in error messages,
// base_dir is where `silhouette-of` looks for the files it names. On a malformed
// source returns nothing and sets *error to "FILE:LINE: problem".
std::optional<SheetPlanes> parse_sheet(std::string_view text, const std::string& file_label,
                                       const std::filesystem::path& base_dir,
                                       std::string* error = nullptr);

// Reads and builds the sheet source at path.
std::optional<SheetPlanes> load_sheet_planes(const std::filesystem::path& path,
                                             std::string* error = nullptr);

// Reads and builds the sheet source at path; only the picture.
std::optional<Image> load_sheet(const std::filesystem::path& path, std::string* error = nullptr);

}  // namespace vorne
