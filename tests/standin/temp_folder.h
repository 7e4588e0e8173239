#pragma once

// Moved to test support, where every suite finds it.
#include "support/temp_folder.h"
