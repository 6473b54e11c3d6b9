// For the tests of the program's Win32 code: GDI+, the Japanese locale and
// a fresh program-wide record, set up once per test process as the
// program's entry does. Built as an object library, so the environment is
// linked although nothing calls it.
#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <clocale>

#include "core/appstate.h"

namespace {

class ProgramEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    resetAppState();
    setlocale(LC_ALL, "japanese");
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

 private:
  ULONG_PTR token_ = 0;
};

const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);

}  // namespace
