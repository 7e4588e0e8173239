#pragma once

// What leak tests read of the view layer.

namespace standin::testing {

// NS objects alive now.
long LiveNSObjectCount();

}  // namespace standin::testing
