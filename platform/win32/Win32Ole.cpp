#include <ole2.h>

#include "platform/Ole.h"

namespace platform {

// S_FALSE (already initialised on this thread) still counts and must be matched.
bool initializeOle() { return SUCCEEDED(OleInitialize(nullptr)); }

void uninitializeOle() { OleUninitialize(); }

}  // namespace platform
