#include "platform/Ole.h"
#include "platform/headless/HeadlessObjects.h"
#include "platform/headless/HeadlessScript.h"

// Nothing to initialise headless; the count lets tests check that calls are balanced.
namespace platform {

bool initializeOle() {
    ++headless::world().oleInitializations;
    return true;
}

void uninitializeOle() { --headless::world().oleInitializations; }

namespace headless {
int oleInitializationCount() { return world().oleInitializations; }
}  // namespace headless

}  // namespace platform
