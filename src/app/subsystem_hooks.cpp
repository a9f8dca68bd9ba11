// Stubs until each owner lands; see subsystem_hooks.h for who replaces them.
#include "app/subsystem_hooks.h"

namespace bw {

void EmbeddedImages_Register() {}
void ScoreForm_Create() {}
void ErrorForm_Create() {}

}  // namespace bw
