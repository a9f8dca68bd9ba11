// The high-score built-ins: adding, clearing and reading the table,
// drawing it into the room, and the settings of a table display that this
// platform does not show.
#pragma once

namespace bw {

// Loads "hiscore.dat" (the "HighScore.." group).
void Function_HighScore_Register();
// The highscore_ built-ins and draw_highscore (part of "Interaction..").
void Function_HighScoreBuiltins_Register();

}  // namespace bw
