// The numbers of the speed dialog. A speed is a delay multiplier; the user
// sees its inverse, the rate: the slider holds the rate in percent (0..200)
// and the edit the same rate as text with two decimals. Pure, so that every
// slider position is checked on the way to a speed and back.
#pragma once

#include <stddef.h>

const int kSliderMinimum = 0;
const int kSliderMaximum = 200;

// Rate text is at most this long with its terminator (the edit's buffer).
const size_t kRateTextSize = 60;

// Slider position that shows a speed: 100 / speed rounded to the nearest
// whole percent, so that a speed taken from position p (100 / p) opens at
// p again although 100 / (100 / p) may come out a hair below p. Clamped to
// the slider's range; 0 for a speed that is not above zero or not a number.
int sliderForSpeed(double speed);

// The speed a slider position chooses: 100 / position. Position 0 chooses
// none (it stops playback), and gives 0.
double speedForSlider(int position);

// The rate as the edit shows it: fixed notation, two decimals, at least
// four characters ("1.00", "0.37"). Always terminated.
void formatRate(double rate, char* text, size_t size);

// The standard library's text-to-double reading of typed text: leading
// blanks, a number up to the first other character, 0 when there is none.
double parseDialogReal(const char* text);

// Slider position for a typed rate: the rate x 100 truncated toward zero
// (0.29 gives 28), stored in position with result 1 when it lies in
// 0..200. A rate outside that range, infinite or not a number gives 0 and
// leaves position untouched; the range is checked on the double, before
// any conversion to int.
int sliderForRate(double rate, int* position);
