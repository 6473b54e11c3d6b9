// The worker's pace: a pause, in milliseconds, that the animated-GIF worker
// takes before each frame it renders, before the assembly and before each
// frame it splices, and the number of threads that make its frames. The
// program takes no pause and one thread per processor (workerpace.cpp).
// The test build of the program, quobixlens_paced.exe, links definitions
// of its own, so that tests can aim a stop at either phase of a job and
// compare outputs made on one thread and on several.
#pragma once

unsigned workerPaceMs();
int workerThreadCount(int processors);
