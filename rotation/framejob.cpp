#include "rotation/framejob.h"

#include <cstdio>

#include "rotation/geometry.h"

bool planTurn(int angleDegrees, TurnPlan* plan) {
  int step = reduceAngleStep(angleDegrees);
  if (step > -kMinAngleStep && step < kMinAngleStep) return false;
  plan->step = step;
  plan->frames = frameCountForStep(step);
  return true;
}

namespace {

bool formatInFolder(char* out, size_t capacity, const char* folder, const char* name) {
  if (capacity == 0) return false;
  out[0] = '\0';
  if (!folder || !folder[0]) return false;
  int length = std::snprintf(out, capacity, "%s\\%s", folder, name);
  if (length < 0 || static_cast<size_t>(length) >= capacity) {
    // A cut path names another file: no path at all.
    out[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace

bool formatFramePath(char* out, size_t capacity, const char* folder, int frame) {
  char name[32];
  std::snprintf(name, sizeof name, "temp%d.gif", frame);
  return formatInFolder(out, capacity, folder, name);
}

bool formatTempBmpPath(char* out, size_t capacity, const char* folder) {
  return formatInFolder(out, capacity, folder, "temp.bmp");
}
