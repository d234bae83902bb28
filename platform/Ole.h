#pragma once

// The per-thread initialisation that drag and drop needs. It is counted: every call of
// initializeOle that answered true is matched by one uninitializeOle on the same thread.
namespace platform {

// True when the thread is initialised and owes one uninitializeOle; false when it failed.
bool initializeOle();
void uninitializeOle();

}  // namespace platform
