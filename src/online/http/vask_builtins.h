// The "Vask.." group: the services that differ per platform, answered as
// this desktop has them (achievements through the achievement cache, web
// addresses opened by the desktop, virtual keys, device and display
// queries, in-app purchases that are never available), with the platform
// variables and constants, the per-step update and the OS pause event.
#pragma once

namespace bw {

void Function_Vask_Register();
// The six read-only platform variables (os_type, os_device, os_version,
// os_browser, browser_width, browser_height), added after the instance and
// game variables once per table. The group registers them, and the package
// builder from here too, so that it refuses the same names the runner knows.
void Vask_Variables_Register();
// Once per game step, after the input update.
void Vask_Functions_Update();
void Vask_Functions_Fini();
// The allowed screen orientations of options.ini: a desktop window has none.
void VaskM_SetAllowedOrientations(bool landscape, bool portrait, bool landscapeFlipped, bool portraitFlipped);
// The OS paused the game (its window was deactivated): os_is_paused is 1
// during the next step.
void Vask_RaisePauseEvent();

}  // namespace bw
