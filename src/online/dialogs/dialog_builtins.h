// The dialog half of the "Interaction.." group: messages and questions,
// text, number and login input (modal and asynchronous), the open and save
// file dialogs, the splash and show built-ins, the high-score built-ins and
// the legacy message-styling names, which only say they are not there.
#pragma once

namespace bw {

void Function_Interaction_Register();

}  // namespace bw
