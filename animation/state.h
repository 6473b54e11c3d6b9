// The playback state the program-wide record keeps for the shown picture.
// Plain values only: core/appstate.h includes this header.
#pragma once

// What the menu offers for the shown picture (AppState animationState).
enum AnimationState {
  NotAnimated = -1,       // a still picture, or none: no playback command applies
  AnimationPaused = 0,    // stopped on a frame: Play is offered
  AnimationPlaying = 1,   // the thread draws frame after frame: Stop is offered
};

// How frames advance (AppState playbackMode).
enum PlaybackMode {
  PlaybackStopAsked = -1, // the speed dialog's slider at 0 asked for a stop
  PlaybackNormal = 0,     // the thread times the frames
  PlaybackOneScene = 1,   // mouse buttons step the frames
};
