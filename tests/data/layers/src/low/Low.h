#pragma once

// A lower layer that reaches up: the include check must refuse this.
#include "high/High.h"

#include <unistd.h>
