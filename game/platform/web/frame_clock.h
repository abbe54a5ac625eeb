// How the browser's clock meets a tick's deadline on display frames. Plain
// C++ (the page's clock is read by the caller), so it is tested natively.
//
// A wait ends on the display frame nearest the deadline, up to half a frame
// early or late, and the clock then reads the deadline itself: the 40 ms rule
// keeps 25 ticks a second on any display rate, every tick landing on a frame.
// A wait that ends later than that (the page was held up) goes on from the
// real time, without catching up.
#pragma once

#include <cstdint>

namespace vorne {

class FrameClock {
  public:
    // What the clock reads when the real time is `real`: never less than a
    // deadline met early, and a deadline met a little late once.
    uint32_t read(uint32_t real);
    // A display frame has passed while waiting for `deadline`; `frame` is
    // the frame interval (0 while unknown). True when the wait is over.
    bool frame_passed(uint32_t deadline, uint32_t real, double frame);

  private:
    uint32_t floor_ = 0;
    bool has_floor_ = false;
    uint32_t booked_ = 0;
    bool book_once_ = false;
};

}  // namespace vorne
