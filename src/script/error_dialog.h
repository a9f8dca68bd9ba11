// The run-time error dialog and the text sink a report is written into.
#pragma once

#include <cstdint>
#include <string>

#include "platform/console.h"

namespace bw {

// A console that collects everything printed to it, for one report. It grows
// with what it is given: user texts in a report are never cut or overflow.
class TErrStreamConsole : public tagIConsole {
public:
    void Printf(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// Shows the report (UTF-8, lines ended by "\r\n") modally and returns 1 when
// the player chose "Abort", 0 for "Ignore". The "Ignore" button is offered
// only when canContinue is set. Unattended (no display): the report goes to
// standard error and the answer is 0 when the game may continue, else 1.
int32_t ErrorDialog_Show(const std::string& text, bool canContinue);

}  // namespace bw
