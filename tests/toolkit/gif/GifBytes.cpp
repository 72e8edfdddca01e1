#include "GifBytes.h"

namespace giftest {

namespace {

void Put16(std::string& s, unsigned v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

// LZW codes of 3 bits (minimum code size 2), packed from the low bit up. A clear code after
// every two literals keeps the decoder's table below 8 entries, so the width never grows.
std::string LzwLiterals(int colour, int count)
{
    const unsigned kClear = 4, kEnd = 5;
    std::vector<unsigned> codes;
    for (int i = 0; i < count; i++) {
        if (i % 2 == 0) codes.push_back(kClear);
        codes.push_back(static_cast<unsigned>(colour));
    }
    codes.push_back(kEnd);
    std::string packed;
    unsigned acc = 0;
    int bits = 0;
    for (unsigned code : codes) {
        acc |= code << bits;
        bits += 3;
        while (bits >= 8) {
            packed.push_back(static_cast<char>(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) packed.push_back(static_cast<char>(acc & 0xFF));
    return packed;
}

} // namespace

std::string MakeGif(int w, int h, const std::vector<Frame>& frames)
{
    std::string gif = "GIF89a";
    // Logical screen: a global table of 4 colours (size field 1), 2 bits of colour resolution.
    Put16(gif, static_cast<unsigned>(w));
    Put16(gif, static_cast<unsigned>(h));
    gif.push_back(static_cast<char>(0x91));
    gif.push_back(0);
    gif.push_back(0);
    for (uint32_t rgb : kPalette) {
        gif.push_back(static_cast<char>((rgb >> 16) & 0xFF));
        gif.push_back(static_cast<char>((rgb >> 8) & 0xFF));
        gif.push_back(static_cast<char>(rgb & 0xFF));
    }
    if (frames.size() > 1) {
        gif += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    }
    for (const Frame& f : frames) {
        if (f.delay >= 0) {
            gif += std::string("\x21\xF9\x04\x00", 4);
            Put16(gif, static_cast<unsigned>(f.delay));
            gif.push_back(0);
            gif.push_back(0);
        }
        gif.push_back(0x2C);
        Put16(gif, 0);
        Put16(gif, 0);
        Put16(gif, static_cast<unsigned>(w));
        Put16(gif, static_cast<unsigned>(h));
        gif.push_back(0);
        gif.push_back(2);
        const std::string data = LzwLiterals(f.colour, w * h);
        for (size_t at = 0; at < data.size(); at += 255) {
            const std::string block = data.substr(at, 255);
            gif.push_back(static_cast<char>(block.size()));
            gif += block;
        }
        gif.push_back(0);
    }
    gif.push_back(0x3B);
    return gif;
}

} // namespace giftest
