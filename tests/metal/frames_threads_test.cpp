#include "metal_backend_fixture.h"
