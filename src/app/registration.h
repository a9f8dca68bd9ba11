// The two fixed orders the rest of the runner relies on: the groups of
// built-in functions, registered once during the header pass, and the
// readers each chunk of the package goes to.
#pragma once

#include <span>

namespace bw {

struct RegistrationGroup {
    const char* label;  // the console announcement; null: registered without one
    const char* topic;  // what the group's built-ins are about, for the language guide
    void (*registrar)();
};
// Every built-in group in registration order.
std::span<const RegistrationGroup> Registration_Groups();

// Every built-in group, each announced by its console label.
void Brackwell_RegisterFunctions();
// The same groups in the same order without the labels, for tools that
// compile code outside a run (the package builder's output is not a log),
// as a runner in Steam mode or out of it has them.
void Registration_RegisterFunctionsQuietly(bool steamMode);

// Hands the package loader its readers and hooks (tables, prepare order).
void Registration_InstallPackageReaders();

// The "initialise everything!" step of the main pass: every table a chunk
// refills is emptied and the options go back to their defaults.
void Registration_ClearTables();

}  // namespace bw
