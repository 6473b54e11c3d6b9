#pragma once
#include "shell/shell.h"
