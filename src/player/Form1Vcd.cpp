// Video CD playback and track keys: not built yet.
#include "player/Form1.h"

namespace player {

std::string Form1::getCDROM() { return ""; }
bool Form1::isfile(const std::string&) { return false; }
std::string Form1::vcdname(const std::uint8_t&) { return ""; }
void Form1::vcd_Click() {}
void Form1::Form_KeyPress(std::int16_t&) {}
void Form1::Mov1_KeyPress(std::int16_t&) {}

}  // namespace player
