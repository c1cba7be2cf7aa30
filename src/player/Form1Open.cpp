// Start-up, opening and the recent-files list: not built yet.
#include "player/Form1.h"

namespace player {

void Form1::Form_Load() {}
void Form1::opn_Click() {}
void Form1::Mov1_OpenComplete() {}
void Form1::createreg() {}
void Form1::savename(const std::string&) {}
void Form1::rec_Click(std::int16_t) {}

}  // namespace player
