#include "app/process.h"

namespace tickora {

double pi = 3.141592653589793;
void* moduleInstance = nullptr;

}  // namespace tickora
