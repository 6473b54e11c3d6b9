// Frame timing and stepping of an animated picture. Pure: the playback
// thread and the scene commands call these with the picture's numbers.
//
// A GIF frame delay is in hundredths of a second and a speed is a delay
// multiplier (0.5 plays twice as fast), so a frame waits delay x speed x 10
// milliseconds. Frames are numbered from 0 and wrap at the frame count.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The longest wait that is still a time limit: one below Win32's INFINITE,
// so that no product of delay and speed turns into a wait without end.
const uint32_t kLongestFrameWaitMs = 0xFFFFFFFEu;

// Milliseconds to wait after a frame: delay x speed x 10, computed in double
// and truncated toward zero. 0 when the product is not above zero or not a
// number; kLongestFrameWaitMs when it is beyond that.
uint32_t frameWaitMs(uint32_t delay, double speed);

// The delay of frame in a list of entries delays; a frame beyond the list
// (a list shorter than the frame count) has delay 0.
uint32_t frameDelay(const uint32_t* delays, size_t entries, uint32_t frame);

// How many whole 32-bit delay entries of a property value of lengthBytes
// bytes, starting valueOffset bytes into a buffer of bufferSize bytes, lie
// inside that buffer. A value that starts outside the buffer has none.
size_t delayEntriesInside(size_t bufferSize, size_t valueOffset, uint32_t lengthBytes);

// The frame after frame: 0 after the last one, and 0 when the count is 0.
uint32_t nextFrame(uint32_t frame, uint32_t frameCount);

// The frame before frame: the last one before frame 0, and 0 when the
// count is 0. A frame at or beyond the count steps back from the last.
uint32_t previousFrame(uint32_t frame, uint32_t frameCount);

// The frame a scene request shows: the request when it is below the count,
// else 0. A negative request arrives as a large unsigned number and so
// shows frame 0 as well.
uint32_t sceneFrame(uint32_t requested, uint32_t frameCount);
