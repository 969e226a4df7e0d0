// One host for the whole fuzzing process, stored in the module's handle.
#pragma once
#include "host/vxhost_testing.h"

VXHost* fuzzHost();
