// Animated GIF playback.
#pragma once

#include <windows.h>

struct Picture;

// --- playback_win.cpp --------------------------------------------------------

// Starts showing an animated picture whose surface exists.
void startPlayback(Picture* picture);

// Stops and joins the picture's playback thread if it has one, closes its
// handles and returns the playback fields to their start values.
void stopPlayback(Picture* picture);
