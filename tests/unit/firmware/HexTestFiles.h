#pragma once
// The HEX record builder lives in tests/support/; kept here for the desktop tests that include it by this path.
#include "../../support/HexTestFiles.h"
