// Animated GIF playback: the playback thread of a picture with its pause
// gate and frame delays, single scenes, the play, stop, speed and scene
// commands, and the two dialogs behind the last two.
#pragma once

#include <windows.h>

struct Picture;

// --- playback_win.cpp --------------------------------------------------------

// Starts the playback thread of a picture whose surface exists. A picture
// of fewer than two frames is drawn still and gets no thread; a picture that
// already has a thread is left alone, so two threads never share a surface.
// Without both events, or when the thread cannot start, playbackThread
// stays null and the surface keeps its grey fill.
void startPlayback(Picture* picture);

// The first rendering of a picture just opened: a still picture is drawn
// into its surface, an animation gets its surface and its playback thread.
// 1, or 0 for a picture without an image (nothing drawn).
int renderAndPlay(Picture* picture);

// Stops the picture's playback, if any, and releases the picture: the one
// way to let go of a picture that may be playing.
void stopAndRelease(Picture* picture);

// Stops and joins the picture's playback thread if it has one, closes its
// handles and returns the playback fields to their start values. A paused
// thread is let through its gate first, so it draws once more and then ends.
void stopPlayback(Picture* picture);

// 1 when it paused a running thread, else 0.
int pausePlayback(Picture* picture);
// 1 when it released a paused thread, else 0.
int resumePlayback(Picture* picture);

// Pauses the thread (result 1 when it was running, else 0) and shows frame,
// or frame 0 when frame is not below the frame count.
int showScene(Picture* picture, UINT frame);
// Step the current picture's frame by one, wrapping at both ends, and show
// it. They pause nothing: one-scene mode comes from the scene dialog, which
// has already paused the thread.
void nextScene();
void previousScene();

// The frame last shown, and a new speed, read and written under the
// picture's surface lock because the thread uses both.
UINT shownFrame(Picture* picture);
void setPlaybackSpeed(Picture* picture, double speed);

// True for a picture that plays or has played on a thread of its own; every
// playback command leaves any other picture (still, rotated, none) alone.
bool isAnimationShown(const Picture* picture);

// --- playcommands_win.cpp ----------------------------------------------------

// Menu commands 2700 (stop), 2800 (play), 2810 (speed dialog) and 2820
// (scene dialog) on the current picture.
void stopAnimationCommand();
void playAnimationCommand();
void playbackSpeedCommand(HWND window);
void sceneCommand(HWND window);

// A mouse button on the main window: in one-scene mode with a picture shown
// the left button steps forward and the right one back (result 1, handled);
// otherwise 0, for the default handling.
int sceneClick(bool forward);

// Ends playback before the main window goes, so that no thread draws for a
// window that is gone or into GDI+ after it is shut down.
void stopPlaybackForExit();

// --- speeddialog_win.cpp -----------------------------------------------------

// Reads the speed dialog's edit as a double: 0 (out untouched) for an empty
// edit, -1 (out untouched) when the text cannot be read, 1 with the value.
int readDialogReal(HWND dialog, double* out);

INT_PTR CALLBACK speedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- scenedialog_win.cpp -----------------------------------------------------

INT_PTR CALLBACK sceneDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
