#pragma once

// The game's main function: settings, engine start, the frame loop, shutdown. Returns the
// process exit status: 0 after a normal run, non-zero when the game could not start.
int Go();

// The update step of one frame: the engine's last delta, never below 0 nor above 0.03 s, so a
// slow frame runs the game in slow motion instead of taking a large step.
float ClampFrameTime(float aDeltaTime);
