// The autostart entry: removed at every start, written only when the user's
// session ends with the clock running, so the clock comes back at the next logon
// exactly when it was running at logoff.
#pragma once

namespace tickora {

void DeleteAutostart();
// exePath: the running executable's full path.
void WriteAutostart(const char16_t* exePath);

}  // namespace tickora
