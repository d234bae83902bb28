#pragma once

// The plug-in module's own handle, recorded when the module is loaded. Resources (bitmaps,
// the version block) are found through it.
namespace platform {

// The handle recorded at load; null before the module's load notification has run.
void* moduleHandle();

}  // namespace platform
