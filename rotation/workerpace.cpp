// The program's pace: no pause. This file holds nothing else, so an
// executable that defines workerPaceMs itself (the test build) never pulls
// it from the library.
#include "rotation/workerpace.h"

unsigned workerPaceMs() { return 0; }

int workerThreadCount(int processors) { return processors; }
