#pragma once
#include "core/appstate.h"
