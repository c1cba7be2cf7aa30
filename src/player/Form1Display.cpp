// Display options: not built yet.
#include "player/Form1.h"

namespace player {

void Form1::dis_Click() {}
void Form1::bac_Click() {}
void Form1::fore_Click() {}
void Form1::altop_Click() {}

}  // namespace player
