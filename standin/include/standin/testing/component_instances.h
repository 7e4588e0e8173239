#pragma once

// Component instances for driving a legacy entry point directly: the record a
// legacy Open receives and registers its storage with.

#include <CoreServices/CoreServices.h>

namespace standin::testing {

ComponentInstance NewLegacyComponentInstance();
void DisposeLegacyComponentInstance(ComponentInstance instance);

}  // namespace standin::testing
