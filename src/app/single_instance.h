#pragma once

namespace tickora {

// True when no other clock runs in this user session; the claim lasts until
// the process ends.
bool ClaimSingleInstance();

}  // namespace tickora
