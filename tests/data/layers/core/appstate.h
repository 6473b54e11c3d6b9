#pragma once
#include "browse/state.h"
struct AppState { FolderList folder; };
