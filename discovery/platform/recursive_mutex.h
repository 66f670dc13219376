// The lock behind every LockedList. It must be re-entrant: a list operation
// such as Add calls Contains while it already holds the list's lock.
#pragma once

#include <mutex>

namespace ql5::platform {

using RecursiveMutex = std::recursive_mutex;

}  // namespace ql5::platform
