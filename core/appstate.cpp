#include "core/appstate.h"

AppState app;

void resetAppState() {
  app.instance = nullptr;
  app.mainWindow = nullptr;
  app.gdiplusToken = 0;
  app.helpCookie = 0;
  app.hasCommandLinePath = 0;
  app.commandLinePath[0] = L'\0';
  app.inSizeMove = 0;
  app.resizedInSizeMove = 0;
  app.eraseInSizeMove = 0;
  app.rotationWorkerThread = nullptr;
  app.aboutLogoBitmap = nullptr;
  app.aboutLogoDC = nullptr;
  app.workFolder[0] = L'\0';
  app.rotation = RotationSettings{InPlane, 0, 0x00ffffff, {}, 0};
  app.currentPicture = nullptr;
  app.currentPath[0] = L'\0';
  app.savePath[0] = L'\0';
  app.animationState = NotAnimated;
  app.playbackMode = PlaybackNormal;
  app.verticalScroll = ScrollState{0, 0, 0, 0};
  app.horizontalScroll = ScrollState{0, 0, 0, 0};
  app.verticalPos = 0;
  app.horizontalPos = 0;
  app.frameExtraWidth = 0;
  app.frameExtraHeight = 0;
  app.fittedFrameExtraHeight = 0;
  app.maxTrackWidth = 0;
  app.maxTrackHeight = 0;
  app.sizeMoveContentWidth = 0;
  app.sizeMoveContentHeight = 0;
  app.zoomPercent = 100;
  app.zoomInput = 0;
  app.folder.folderPath.clear();
  app.folder.names.clear();
  app.folder.nameCount = 0;
  app.folder.folderCount = 0;
  app.folder.folderIndex = 0;
  app.folder.scannedName.clear();
  app.stepQuestionOpen = 0;
  app.speedValue = 1.0;
  app.speedInputOn = 0;
  app.speedEditWriting = 0;
  app.sceneValue = 0;
  app.sceneCurrent = 0;
  resetFramesJob(&app.framesJob);
  app.gifOutputPath[0] = L'\0';
  app.firstFramePath[0] = L'\0';
  app.stopQuestionOpen = 0;
  app.workerDoneDeferred = 0;
  app.dialogPalette.clear();
  app.dialogPaletteBits = 0;
  app.pickedTransparentIndex = 0;
  app.savedBackgroundIndex = 0;
  app.savedTransparentIndex = 0;
  app.colourTable = ColourTableView{nullptr, nullptr, nullptr, {0, 0, 0, 0}, 0, 0, -1, -1, 0, nullptr};
}

void resetFramesJob(RotationFramesJob* job) {
  job->source = nullptr;
  job->angleStep = 0;
  job->frameCount = 0;
  job->outputPath = nullptr;
  job->workerState = WorkerRendering;
  job->assemblyGate = GateOpen;
  job->lastResult = 0;
  job->window = nullptr;
}
