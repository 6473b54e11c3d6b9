// The arithmetic and the file names of an animated GIF of a full turn: the
// angle step, the number of frames, each frame's angle, and the paths of the
// temporary files in the working folder. Pure (no windows.h), tested in
// both trees; the worker that uses it is framesworker_win.cpp.
//
// A full turn of step s has trunc(360 / |s|) frames, frame i showing the
// picture turned by i * s degrees: 30 gives 12 frames (0 to 330), 11 gives
// 32 (0 to 341), any step from 181 to 359 a single unrotated frame. A
// negative step turns the other way with as many frames as its magnitude.
#pragma once

#include <cstddef>

// Steps below this magnitude would make too many frames.
const int kMinAngleStep = 10;

// What a turn of the dialog's angle makes: the reduced step (the angle's
// remainder of a division by 360, sign kept: 725 gives 5, -370 gives -10)
// and the frame count trunc(360 / |step|).
struct TurnPlan {
  int step;
  int frames;
};

// False (plan untouched) when the reduced step is below 10 degrees in
// magnitude: 9, -9 and 365 are refused, 370 makes 36 frames of 10 degrees.
bool planTurn(int angleDegrees, TurnPlan* plan);

// The angle of frame i, in degrees: i * step.
inline int frameAngle(int step, int frame) { return frame * step; }

// folder + "\temp" + frame + ".gif" into out. False, with out empty, when
// the folder is empty or the whole path does not fit in capacity units.
bool formatFramePath(wchar_t* out, size_t capacity, const wchar_t* folder, int frame);

// folder + "\temp.bmp" into out, with the same rules.
bool formatTempBmpPath(wchar_t* out, size_t capacity, const wchar_t* folder);
