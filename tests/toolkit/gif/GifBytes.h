#pragma once
#include <cstdint>
#include <string>
#include <vector>

// GIF files written by the tests themselves: every frame covers the whole screen in one colour
// of a four-colour table, so each frame can be told apart by one pixel.
namespace giftest {

// Colour indices of the table (0xRRGGBB): red, green, blue, white.
enum { RED = 0, GREEN = 1, BLUE = 2, WHITE = 3 };
const uint32_t kPalette[4] = { 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF };

struct Frame {
    int colour;
    int delay; // hundredths of a second; negative: the frame has no graphic control extension
};

// A w x h GIF89a of the given frames (looping for ever when there are several).
std::string MakeGif(int w, int h, const std::vector<Frame>& frames);

} // namespace giftest
