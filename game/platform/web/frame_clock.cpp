#include "game/platform/web/frame_clock.h"

namespace vorne {

uint32_t FrameClock::read(uint32_t real) {
    if (has_floor_ && static_cast<int32_t>(real - floor_) < 0) return floor_;
    has_floor_ = false;
    if (book_once_) {
        book_once_ = false;
        return booked_;
    }
    return real;
}

bool FrameClock::frame_passed(uint32_t deadline, uint32_t real, double frame) {
    const int32_t left = static_cast<int32_t>(deadline - real);
    if (frame <= 0) return left <= 0;  // no frame rate known yet: the real time
    if (left > frame / 2) return false;
    if (left > 0) {
        floor_ = deadline;
        has_floor_ = true;
    } else if (-left < frame) {
        booked_ = deadline;
        book_once_ = true;
    }
    return true;
}

}  // namespace vorne
