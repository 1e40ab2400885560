#pragma once

namespace sorvek {

// Registers the program's icons (they live in a static library, which the linker would
// otherwise leave out). Safe to call any number of times.
void ensureResources();

}  // namespace sorvek
