// The worker's pace: a pause, in milliseconds, that the animated-GIF worker
// takes before each frame it renders, before the assembly and before each
// frame it splices. The program takes none (workerpace.cpp). The test build
// of the program, quobixlens_paced.exe, links a definition of its own that
// pauses, so that tests can aim a stop at either phase of a job.
#pragma once

unsigned workerPaceMs();
