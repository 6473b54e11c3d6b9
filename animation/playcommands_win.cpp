// The playback commands of the operation menu (stop, play, speed, scene)
// and the mouse buttons of one-scene mode. Each acts only on an animation
// being shown: the menu greys these items for other pictures, and a command
// that arrives anyway (posted by other means) must not pause, draw over or
// step a still or rotated picture.
#include <math.h>

#include "animation/animation.h"
#include "core/appstate.h"
#include "picture/picture.h"

// Stop and play switch the menu between the two even for a picture counted
// as animated that has no thread (a multi-page TIFF, or a GIF whose surface
// could not be made): the menu must not offer a Stop that never takes.
void stopAnimationCommand() {
  Picture* picture = app.currentPicture;
  if (!picture || app.animationState == NotAnimated) return;
  if (isAnimationShown(picture)) pausePlayback(picture);
  app.animationState = AnimationPaused;
}

void playAnimationCommand() {
  Picture* picture = app.currentPicture;
  if (!picture || app.animationState == NotAnimated) return;
  app.playbackMode = PlaybackNormal;
  if (isAnimationShown(picture)) resumePlayback(picture);
  app.animationState = AnimationPlaying;
}

// A speed of zero (slider at 0) asks for a stop and keeps the speed; any
// other speed resumes a paused animation, or is taken by a playing one at
// its next frame.
void playbackSpeedCommand(HWND window) {
  Picture* picture = app.currentPicture;
  if (!isAnimationShown(picture)) return;
  app.speedValue = picture->speed;
  if (DialogBoxParamW(app.instance, L"PLYSPDLG", window, speedDialogProc, 0) != 1) return;
  setPlaybackSpeed(picture, fabs(app.speedValue));
  if (app.playbackMode == PlaybackStopAsked) {
    if (app.animationState == AnimationPlaying) {
      pausePlayback(picture);
      app.animationState = AnimationPaused;
    }
  } else if (app.animationState == AnimationPaused) {
    app.playbackMode = PlaybackNormal;
    resumePlayback(picture);
    app.animationState = AnimationPlaying;
  }
}

// The chosen number goes to showScene unchecked: any number not below the
// frame count, negative ones included, shows frame 0.
void sceneCommand(HWND window) {
  Picture* picture = app.currentPicture;
  if (!isAnimationShown(picture)) return;
  app.sceneValue = static_cast<int>(picture->frameCount);
  app.sceneCurrent = static_cast<int>(shownFrame(picture));
  if (DialogBoxParamW(app.instance, L"PLCDEFDLG", window, sceneDialogProc, 0) != 1) return;
  showScene(picture, static_cast<UINT>(app.sceneValue));
  app.animationState = AnimationPaused;
}

int sceneClick(bool forward) {
  if (app.playbackMode != PlaybackOneScene || !app.currentPicture) return 0;
  if (forward) {
    nextScene();
  } else {
    previousScene();
  }
  return 1;
}

void stopPlaybackForExit() {
  if (app.currentPicture) stopPlayback(app.currentPicture);
}
