// Drawing one turned picture on several threads: the output is cut into
// bands of rows, one per thread, which the kernel draws independently (a
// row's bytes never depend on its band).
#include <process.h>

#include <vector>

#include "rotation/rotation.h"

namespace {

struct Band {
  const PixelRows* source;
  int mode;
  double angle;
  uint32_t fillColour;
  const PixelRows* output;
  int32_t rowBegin;
  int32_t rowEnd;
  RotationRenderResult result;
};

unsigned __stdcall drawBand(void* argument) {
  Band* band = static_cast<Band*>(argument);
  band->result = renderRotation(*band->source, band->mode, band->angle, band->fillColour,
                                *band->output, band->rowBegin, band->rowEnd);
  return 0;
}

}  // namespace

int processorCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  int count = static_cast<int>(info.dwNumberOfProcessors);
  return count < 1 ? 1 : count > 16 ? 16 : count;
}

RotationRenderResult renderRotationOnThreads(const PixelRows& source, int mode, double angle,
                                             uint32_t fillColour, const PixelRows& output,
                                             int threads) {
  // Bands of fewer than 64 rows are not worth a thread.
  int most = output.height / 64;
  if (threads > most) threads = most;
  if (threads <= 1) return renderRotation(source, mode, angle, fillColour, output, 0, output.height);
  std::vector<Band> bands(static_cast<size_t>(threads));
  std::vector<HANDLE> handles(static_cast<size_t>(threads), nullptr);
  for (int i = 0; i < threads; ++i) {
    int32_t begin = static_cast<int32_t>(static_cast<int64_t>(output.height) * i / threads);
    int32_t end = static_cast<int32_t>(static_cast<int64_t>(output.height) * (i + 1) / threads);
    bands[i] = Band{&source, mode, angle, fillColour, &output, begin, end, RotationRendered};
    // Band 0 is this thread's; a band whose thread cannot start is drawn
    // here too, after it.
    if (i > 0)
      handles[i] = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, drawBand, &bands[i], 0, nullptr));
  }
  for (int i = 0; i < threads; ++i)
    if (!handles[i]) drawBand(&bands[i]);
  RotationRenderResult result = RotationRendered;
  for (int i = 0; i < threads; ++i) {
    if (handles[i]) {
      WaitForSingleObject(handles[i], INFINITE);
      CloseHandle(handles[i]);
    }
    if (bands[i].result != RotationRendered) result = bands[i].result;
  }
  return result;
}
