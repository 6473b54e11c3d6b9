// The speed dialog's numbers: fixed speeds, every slider position to a speed
// and back, the rate text, and typed rates with their range check.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "animation/speedmap.h"

namespace {

std::string rateText(double rate) {
  char text[kRateTextSize];
  formatRate(rate, text, sizeof text);
  return text;
}

TEST(SliderForSpeed, FixedSpeedsOpenAtTheirRates) {
  EXPECT_EQ(200, sliderForSpeed(0.5));
  EXPECT_EQ(100, sliderForSpeed(1.0));
  EXPECT_EQ(50, sliderForSpeed(2.0));
}

TEST(SliderForSpeed, OutOfRangeSpeedsStayOnTheSlider) {
  EXPECT_EQ(200, sliderForSpeed(0.25));
  EXPECT_EQ(200, sliderForSpeed(1e-300));
  EXPECT_EQ(0, sliderForSpeed(0.0));
  EXPECT_EQ(0, sliderForSpeed(-1.0));
  EXPECT_EQ(0, sliderForSpeed(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(0, sliderForSpeed(1e300));
}

TEST(SliderRoundTrip, EveryPositionComesBackAsItself) {
  // A position chosen on the slider becomes the speed 100 / p; reopening
  // the dialog must show the same position and the same rate text, and the
  // text must read back as that rate.
  // Position 0 chooses no speed (it stops playback) and reads "0.00".
  EXPECT_EQ(0.0, speedForSlider(0));
  EXPECT_EQ("0.00", rateText(0 / 100.0));
  int zero = -1;
  EXPECT_EQ(1, sliderForRate(parseDialogReal("0.00"), &zero));
  EXPECT_EQ(0, zero);
  for (int p = 1; p <= kSliderMaximum; ++p) {
    SCOPED_TRACE(p);
    double speed = speedForSlider(p);
    EXPECT_DOUBLE_EQ(100.0 / p, speed);
    EXPECT_EQ(p, sliderForSpeed(speed));
    std::string text = rateText(p / 100.0);
    EXPECT_EQ(text, rateText(1.0 / speed));
    char expected[16];
    snprintf(expected, sizeof expected, "%d.%02d", p / 100, p % 100);
    EXPECT_EQ(expected, text);
    EXPECT_NEAR(p / 100.0, parseDialogReal(text.c_str()), 1e-12);
  }
}

TEST(SliderForSpeed, SpeedsBetweenPositionsRoundToTheNearest) {
  EXPECT_EQ(37, sliderForSpeed(100.0 / 37.4));
  EXPECT_EQ(38, sliderForSpeed(100.0 / 37.6));
}

TEST(FormatRate, TwoDecimalsAndAtLeastFourCharacters) {
  EXPECT_EQ("0.00", rateText(0.0));
  EXPECT_EQ("1.00", rateText(1.0));
  EXPECT_EQ("2.00", rateText(2.0));
  EXPECT_EQ("0.37", rateText(1.0 / (100.0 / 37)));
  EXPECT_EQ("12.35", rateText(12.345678));
  char tiny[3];
  formatRate(1.0, tiny, sizeof tiny);
  EXPECT_STREQ("1.", tiny);  // cut to the buffer, still terminated
}

TEST(ParseDialogReal, ReadsLikeTheStandardLibrary) {
  EXPECT_DOUBLE_EQ(1.5, parseDialogReal("1.5"));
  EXPECT_DOUBLE_EQ(1.5, parseDialogReal("  1.5xyz"));
  EXPECT_DOUBLE_EQ(-1.0, parseDialogReal("-1"));
  EXPECT_DOUBLE_EQ(0.0, parseDialogReal("abc"));
  EXPECT_DOUBLE_EQ(0.0, parseDialogReal(""));
}

TEST(SliderForRate, AcceptsRatesFromZeroToTwo) {
  struct Case {
    const char* text;
    int position;
  } cases[] = {
      {"1.5", 150}, {"0", 0},     {"2", 200},   {"2.00", 200}, {"0.01", 1},
      {"0.29", 28},  // 28.999... truncates: the documented reading of typed text
      {"abc", 0},    // no number reads as 0
      {"-0.001", 0}, {"2.009", 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int position = -7;
    EXPECT_EQ(1, sliderForRate(parseDialogReal(c.text), &position));
    EXPECT_EQ(c.position, position);
  }
}

TEST(SliderForRate, RefusesEverythingElseBeforeConvertingIt) {
  const char* refused[] = {"2.5", "2.02", "-1", "-0.01", "1e10", "-1e10", "1e300",
                           "inf", "-inf", "nan"};
  for (const char* text : refused) {
    SCOPED_TRACE(text);
    int position = -7;
    EXPECT_EQ(0, sliderForRate(parseDialogReal(text), &position));
    EXPECT_EQ(-7, position);  // untouched
  }
  // A tiny rate is a valid one: it truncates to 0.
  int position = -7;
  EXPECT_EQ(1, sliderForRate(parseDialogReal("1e-300x"), &position));
  EXPECT_EQ(0, position);
}

}  // namespace
