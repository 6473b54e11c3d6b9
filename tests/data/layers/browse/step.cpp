#include "browse/state.h"
#include "gifmake/gifmake.h"
