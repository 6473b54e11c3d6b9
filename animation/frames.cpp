#include "animation/frames.h"

uint32_t frameWaitMs(uint32_t delay, double speed) {
  double wait = static_cast<double>(delay) * speed * 10.0;
  // Written so that NaN lands in the first branch: a cast of NaN or of a
  // value beyond 32 bits would be undefined.
  if (!(wait >= 1.0)) return 0;
  if (wait >= static_cast<double>(kLongestFrameWaitMs)) return kLongestFrameWaitMs;
  return static_cast<uint32_t>(wait);
}

uint32_t frameDelay(const uint32_t* delays, size_t entries, uint32_t frame) {
  if (!delays || frame >= entries) return 0;
  return delays[frame];
}

size_t delayEntriesInside(size_t bufferSize, size_t valueOffset, uint32_t lengthBytes) {
  if (valueOffset > bufferSize) return 0;
  size_t available = bufferSize - valueOffset;
  size_t length = lengthBytes < available ? lengthBytes : available;
  return length / sizeof(uint32_t);
}

uint32_t nextFrame(uint32_t frame, uint32_t frameCount) {
  if (frame >= frameCount || frame + 1 >= frameCount) return 0;
  return frame + 1;
}

uint32_t previousFrame(uint32_t frame, uint32_t frameCount) {
  if (frameCount == 0) return 0;
  if (frame == 0 || frame >= frameCount) return frameCount - 1;
  return frame - 1;
}

uint32_t sceneFrame(uint32_t requested, uint32_t frameCount) {
  return requested < frameCount ? requested : 0;
}
