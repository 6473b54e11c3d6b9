#include "rotation/framejob.h"

#include <cwchar>
#include <string>

#include "rotation/geometry.h"

bool planTurn(int angleDegrees, TurnPlan* plan) {
  int step = reduceAngleStep(angleDegrees);
  if (step > -kMinAngleStep && step < kMinAngleStep) return false;
  plan->step = step;
  plan->frames = frameCountForStep(step);
  return true;
}

namespace {

bool formatInFolder(wchar_t* out, size_t capacity, const wchar_t* folder, const std::wstring& name) {
  if (capacity == 0) return false;
  out[0] = L'\0';
  if (!folder || !folder[0]) return false;
  std::wstring path = std::wstring(folder) + L"\\" + name;
  // A cut path names another file: no path at all.
  if (path.size() >= capacity) return false;
  std::wmemcpy(out, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

bool formatFramePath(wchar_t* out, size_t capacity, const wchar_t* folder, int frame) {
  return formatInFolder(out, capacity, folder, L"temp" + std::to_wstring(frame) + L".gif");
}

bool formatTempBmpPath(wchar_t* out, size_t capacity, const wchar_t* folder) {
  return formatInFolder(out, capacity, folder, L"temp.bmp");
}
