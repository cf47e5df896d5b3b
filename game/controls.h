// The player's controls: what starts a run from the title and what swings the skier, from the
// keyboard, any pad and the pointer (the left mouse button or the first touch, which the input
// device treats as one). They are asked in that order; with no pad and no pointer held the
// answers are the keyboard's alone.
#pragma once

// Space, A or start on a pad, or a press of the pointer, since the last update.
bool StartPressed();
// Up, left, W or A; a pad's d-pad left or up, or its left stick pushed left or up; the pointer
// held clockwise of the rope.
bool SwingClockwise();
// Down, right, S or D; a pad's d-pad right or down, or its left stick pushed right or down; the
// pointer held anticlockwise of the rope.
bool SwingAnticlockwise();
