#include "animation/speedmap.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

int sliderForSpeed(double speed) {
  if (!(speed > 0.0)) return kSliderMinimum;
  double percent = floor(100.0 / speed + 0.5);
  if (!(percent < kSliderMaximum)) return kSliderMaximum;
  return static_cast<int>(percent);
}

double speedForSlider(int position) {
  if (position <= 0) return 0.0;
  return 100.0 / position;
}

void formatRate(double rate, char* text, size_t size) {
  if (size == 0) return;
  snprintf(text, size, "%4.2f", rate);
}

double parseDialogReal(const char* text) { return strtod(text, nullptr); }

int sliderForRate(double rate, int* position) {
  double percent = rate * 100.0;
  // -0.5 still truncates to 0, and 200.99 to 200: the range is that of the
  // truncated value, tested before the cast.
  if (!(percent > -1.0 && percent < kSliderMaximum + 1.0)) return 0;
  *position = static_cast<int>(percent);
  return 1;
}
