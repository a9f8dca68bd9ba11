// The movement and motion-planning built-ins: random placement, snapping,
// contact and bounce moves, wrapping, motion vectors, paths, the straight
// and potential-field planners and the motion-planning grids. They open the
// "Game.." group, ahead of the instance and room built-ins.
#pragma once

namespace bw {

void Function_Motion_Register();

}  // namespace bw
