// The animated-GIF parameters: one program-wide record, zero at start (loop
// endlessly, no delay, no disposal, no transparency, indices 0). The
// parameter dialog changes it; the assembly reads a snapshot of it.
#include "gifmake/gifmake.h"

GifParams gifParams = {};
