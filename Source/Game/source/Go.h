#pragma once

// The game's main function: settings, engine start, the frame loop, shutdown. Returns the
// process exit status: 0 after a normal run, non-zero when the game could not start.
int Go();
