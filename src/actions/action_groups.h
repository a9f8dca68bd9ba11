// The action groups, each registering its own actions. Function_Action_Register
// calls them in the order they are declared here.
#pragma once

namespace bw {

void ActionMovement_Register();
void ActionInstances_Register();
void ActionGame_Register();
void ActionQuestions_Register();
void ActionScore_Register();
void ActionDrawing_Register();
void ActionMessages_Register();
void ActionSound_Register();
void ActionWindow_Register();
void ActionParticles_Register();

}  // namespace bw
