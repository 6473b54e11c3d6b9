// The named outcomes of rotating, saving and the animated-GIF job, and the
// message each shows. Three families, each keyed by its own enum; where a
// code of one family becomes a code of another, a mapping function says so
// by name (the numbers differ and are kept as they always were). Pure: the
// tables are plain text, built in both trees.
#pragma once

// What the frames worker (and the first frame, made on the main thread)
// reports in RotationFramesJob lastResult.
enum WorkerResult {
  WorkerUnexpected = 0,        // no step ran: shown as the unexpected state
  WorkerSucceeded = 1,         // every step succeeded (made or stopped: see workerState)
  WorkerSourceUnopened = -2,   // the library could not open the rendered BMP
  WorkerInfoFailed = -3,       // the library's information query failed
  WorkerConvertFailed = -5,    // the library's GIF write failed
  WorkerBmpNotWritten = -6,    // the temporary BMP was not written
  WorkerDrawRefused = -7,      // drawing refused (a picture of more than one frame)
  WorkerOutputFailed = -8,     // the animated file could not be written
  WorkerAssemblyStopped = -9,  // the assembly was stopped (the program then ends)
};

// What the rotation command gives its caller (the menu command shows it).
enum RotationResult {
  RotationCancelled = 0,        // the dialog was cancelled, or OK with an empty angle
  RotationShown = 1,            // the picture is shown turned
  RotationJobStarted = 2,       // the animated-GIF worker runs
  RotationOutputCancelled = 3,  // the animated GIF's output dialog was cancelled
  RotationWorkerBusy = 4,       // another animated GIF is being made
  RotationBadAngle = -1,        // the angle step is below 10 degrees
  RotationSourceUnopened = -3,  // frame 0: the library could not open the rendered BMP
  RotationInfoFailed = -4,      // frame 0: the library's information query failed
  RotationConvertFailed = -6,   // frame 0: the library's GIF write failed
  RotationTempNotWritten = -7,  // frame 0's temporary BMP was not written (or no working folder)
  RotationDrawFailed = -8,      // the turned surface or frame 0 could not be drawn
  RotationNoPicture = -9,       // nothing is shown
  RotationAnimated = -10,       // an animation cannot be turned
  RotationOutputIsJobFile = -11,// the output named one of the job's own temporary files
  RotationThreadFailed = -12,   // the worker thread could not be started
  RotationOutputUnwritable = -13,  // the output's folder takes no file, or it is read-only
};

// What a save of the shown picture gives.
enum SaveResult {
  SaveCancelled = 0,       // the save dialog was cancelled
  SaveDone = 1,            // the file is written
  SaveBadType = -1,        // the name has no picture extension
  SaveFailed = -2,         // writing failed (for GIF: the library could not open the BMP)
  SaveInfoFailed = -3,     // GIF: the library's information query failed
  SaveConvertFailed = -5,  // GIF: the library's GIF write failed
  SaveTempNotWritten = -6, // GIF: the temporary BMP was not written (or no working folder)
  SaveDrawRefused = -7,    // an animation cannot be drawn for a save
  SaveNoMemory = -8,       // the turned picture did not fit in memory
};

// A message box's text and caption.
struct ResultMessage {
  const wchar_t* text;
  const wchar_t* caption;
};

// The worker's end report: the text for lastResult, and for WorkerSucceeded by
// the state the worker ended in (assembled: made; otherwise stopped). False,
// with the unexpected-state text, for a code that has no text of its own.
bool workerResultMessage(int result, bool assembled, const wchar_t** text);

// The message of a rotation result; false when the result shows none.
bool rotationResultMessage(int result, ResultMessage* message);

// The message of a save result; false when the result shows none.
bool saveResultMessage(int result, ResultMessage* message);

// Frame 0 is made on the main thread by the worker's own code: its failure
// becomes the rotation command's result.
RotationResult rotationResultOfFrame(WorkerResult frame);
