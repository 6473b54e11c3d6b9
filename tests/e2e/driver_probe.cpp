// Reading state from inside the target through qbprobe.dll.
//
// The probe is loaded with a remote thread that starts at LoadLibraryW (so
// the build folder may have any name); the thread's exit code is the module
// handle, i.e. the probe's base in the target. The probe's functions are then found at that base plus their
// offset in the driver's own copy of the same DLL, and called the same way,
// with their request block copied into the target's memory.
#include "tests/e2e/driver_internal.h"

#include <tlhelp32.h>

#include "tests/support/text.h"

using qbtest::wide;

// The driver's own copy of the probe, loaded once, only to measure offsets.
static HMODULE localProbe() {
  static HMODULE module = LoadLibraryW(wide(binFolder() + "qbprobe.dll").c_str());
  return module;
}

// Base of a module in the target; 0 when the snapshot does not list it.
static uintptr_t remoteModuleBase(DWORD processId, const wchar_t* name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE)
    return 0;
  uintptr_t base = 0;
  MODULEENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32FirstW(snapshot, &entry); more;
       more = Module32NextW(snapshot, &entry)) {
    if (lstrcmpiW(entry.szModule, name) == 0) {
      base = (uintptr_t)entry.modBaseAddr;
      break;
    }
  }
  CloseHandle(snapshot);
  return base;
}

// Runs `start(argument block)` on a new thread of the target. The block is
// copied in before and out after; *result gets the thread's exit code.
static bool runRemote(App& app, uintptr_t start, void* block, size_t size, DWORD* result,
                      int timeoutMs) {
  void* remote = VirtualAllocEx(app.process, NULL, size, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  if (remote == NULL)
    return fail(app, "VirtualAllocEx failed with error %lu", GetLastError());
  bool ok = false;
  HANDLE thread = NULL;
  SIZE_T moved = 0;
  if (!WriteProcessMemory(app.process, remote, block, size, &moved) || moved != size) {
    fail(app, "WriteProcessMemory failed with error %lu", GetLastError());
    goto done;
  }
  thread = CreateRemoteThread(app.process, NULL, 0, (LPTHREAD_START_ROUTINE)start, remote, 0,
                              NULL);
  if (thread == NULL) {
    fail(app, "CreateRemoteThread failed with error %lu", GetLastError());
    goto done;
  }
  if (WaitForSingleObject(thread, (DWORD)(timeoutMs > 0 ? timeoutMs : 0)) != WAIT_OBJECT_0) {
    // The thread may still use the block; leave the memory to the target.
    CloseHandle(thread);
    return fail(app, "the remote call did not finish within %d ms", timeoutMs);
  }
  GetExitCodeThread(thread, result);
  if (!ReadProcessMemory(app.process, remote, block, size, &moved) || moved != size) {
    fail(app, "ReadProcessMemory failed with error %lu", GetLastError());
    goto done;
  }
  ok = true;
done:
  if (thread != NULL)
    CloseHandle(thread);
  VirtualFreeEx(app.process, remote, 0, MEM_RELEASE);
  return ok;
}

static uintptr_t remoteAddress(App& app, const char* exportName) {
  HMODULE local = localProbe();
  FARPROC address = local != NULL ? GetProcAddress(local, exportName) : NULL;
  if (address == NULL || app.probeBase == 0)
    return 0;
  return app.probeBase + ((uintptr_t)address - (uintptr_t)local);
}

bool attachProbe(App& app, int timeoutMs) {
  DWORD start = GetTickCount();
  if (app.probeBase != 0)
    return true;
  std::string path = binFolder() + "qbprobe.dll";
  if (localProbe() == NULL)
    return fail(app, "cannot load %s in the driver", path.c_str());
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  uintptr_t localLoad = (uintptr_t)GetProcAddress(kernel, "LoadLibraryW");
  // System DLLs normally sit at the same base in every process; the module
  // list of the target says for sure when the system can give it.
  uintptr_t remoteKernel = remoteModuleBase(app.processId, L"kernel32.dll");
  uintptr_t remoteLoad =
      remoteKernel != 0 ? remoteKernel + (localLoad - (uintptr_t)kernel) : localLoad;
  std::wstring widePath = wide(path);
  std::vector<wchar_t> text(widePath.c_str(), widePath.c_str() + widePath.size() + 1);
  DWORD module = 0;
  if (!runRemote(app, remoteLoad, text.data(), text.size() * sizeof(wchar_t), &module, timeoutMs))
    return false;
  if (module == 0)
    return fail(app, "the target could not load %s", path.c_str());
  app.probeBase = module;
  ProbeHookRequest hook = {};
  hook.window = (uint32_t)(uintptr_t)app.window;
  DWORD result = 0;
  if (!callProbe(app, QB_PROBE_HOOK, &hook, sizeof hook, &result, remainingMs(start, timeoutMs)))
    return false;
  if (result != 1 || hook.ok != 1) {
    app.probeBase = 0;
    return fail(app, "the probe could not watch the main window");
  }
  return true;
}

bool callProbe(App& app, const char* function, void* block, size_t size, DWORD* result,
               int timeoutMs) {
  uintptr_t start = remoteAddress(app, function);
  if (start == 0)
    return fail(app, "probe function %s is not available (probe not loaded?)", function);
  return runRemote(app, start, block, size, result, timeoutMs);
}

bool readMarkerSeen(App& app, int32_t* seen) {
  uintptr_t address = remoteAddress(app, QB_PROBE_MARKER_SEEN);
  if (address == 0)
    return fail(app, "the probe's marker counter is not available");
  SIZE_T moved = 0;
  LONG value = 0;
  if (!ReadProcessMemory(app.process, (LPCVOID)address, &value, sizeof value, &moved) ||
      moved != sizeof value) {
    if (!isRunning(app))
      return fail(app, "waiting for idle: the program has ended");
    return fail(app, "reading the marker counter failed with error %lu", GetLastError());
  }
  *seen = (int32_t)value;
  return true;
}

bool readScroll(App& app, int bar, ScrollReading* out) {
  ProbeScrollRequest request = {};
  request.window = (uint32_t)(uintptr_t)app.window;
  request.bar = bar;
  DWORD result = 0;
  if (!callProbe(app, QB_PROBE_SCROLL, &request, sizeof request, &result, kIdleTimeoutMs))
    return false;
  if (result != 1 || request.ok != 1)
    return fail(app, "the probe could not read scroll bar %d", bar);
  out->shown = request.shown != 0;
  out->minimum = request.minimum;
  out->maximum = request.maximum;
  out->page = request.page;
  out->position = request.position;
  return true;
}

bool readMenuState(App& app, int command, UINT* state, bool refresh) {
  ProbeMenuRequest request = {};
  request.window = (uint32_t)(uintptr_t)app.window;
  request.command = command;
  request.refresh = refresh ? 1 : 0;
  DWORD result = 0;
  if (!callProbe(app, QB_PROBE_MENU, &request, sizeof request, &result, kIdleTimeoutMs))
    return false;
  if (result != 1 || request.ok != 1)
    return fail(app, "the menu has no item %d", command);
  *state = request.state;
  return true;
}
