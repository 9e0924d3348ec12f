// Values set once at start-up and read for the rest of the run.
#pragma once

namespace tickora {

// The double nearest to pi; start-up stores it again from the processor's own
// constant where there is one.
extern double pi;
// The program's module (an instance handle on Windows; unused elsewhere).
extern void* moduleInstance;

}  // namespace tickora
