// Sheets for tests: every 20 x 20 cell of every sheet is one solid colour of
// its own, so a drawn pixel tells which cells made it.
#pragma once

#include "game/render/sheets.h"

namespace vorne::testing {

inline Pixel cell_code(int sheet, int32_t cx, int32_t cy) {
    uint32_t h = static_cast<uint32_t>(sheet * 7919 + cx * 104729 + cy * 1299709 + 1);
    h *= 2654435761u;
    return 0xFF000000u | (h >> 8);
}

inline Image code_sheet(int sheet, int32_t w, int32_t h) {
    Image image(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.set(x, y, cell_code(sheet, x / 20 * 20, y / 20 * 20));
    return image;
}

enum SheetId {
    kabe_id = 1,
    hasi_id,
    tc_id,
    ki_id,
    tobira_id,
    kagic_id,
    tama_id,
    t1c_id,
    pc_id,
    haikei_id
};

inline Sheets code_sheets() {
    Sheets s;
    s.kabe = code_sheet(kabe_id, 20, 20);
    s.hasi = code_sheet(hasi_id, 20, 40);
    s.tc = code_sheet(tc_id, 20, 40);
    s.ki = code_sheet(ki_id, 20, 40);
    s.tobira = code_sheet(tobira_id, 20, 40);
    s.kagic = code_sheet(kagic_id, 40, 80);
    s.tama = code_sheet(tama_id, 20, 60);
    s.t1c = code_sheet(t1c_id, 120, 180);
    s.pc = code_sheet(pc_id, 60, 160);
    s.haikei = Image(100, 100, cell_code(haikei_id, 0, 0));
    return s;
}

// The pixel a masked sprite leaves over background bg.
inline Pixel masked(Pixel bg, int sheet, int32_t sil_x, int32_t sil_y, int32_t img_x,
                    int32_t img_y) {
    return (bg | cell_code(sheet, sil_x, sil_y)) & cell_code(sheet, img_x, img_y);
}

}  // namespace vorne::testing
