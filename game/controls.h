// The player's controls: what starts a run from the title and what swings the skier, from the
// keyboard and from any pad. The keyboard is asked first; with no pad connected the answers are
// the keyboard's alone.
#pragma once

// Space, or A or start on a pad, pressed since the last update.
bool StartPressed();
// Up, left, W or A; a pad's d-pad left or up, or its left stick pushed left or up.
bool SwingClockwise();
// Down, right, S or D; a pad's d-pad right or down, or its left stick pushed right or down.
bool SwingAnticlockwise();
