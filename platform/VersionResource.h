#pragma once

// The version block of a module: its translation table and its string table.
namespace platform {

struct VersionBlock;

// A copy of the module's version block; null when it has none.
VersionBlock* loadVersionBlock(void* module);
void freeVersionBlock(VersionBlock* block);
// Looks up a value by path, as "\VarFileInfo\Translation" (pairs of 16-bit language and code
// page) or "\StringFileInfo\040904e4\ProductVersion" (a zero-terminated string). The data
// lives as long as the block. False when the path names nothing.
bool queryVersionValue(VersionBlock* block, const char* path, const void*& data, unsigned& size);

}  // namespace platform
