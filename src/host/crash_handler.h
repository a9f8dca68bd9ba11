// The crash report: on a fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL) the
// runner says so on standard error and writes "MidiDump.dmp" in the current
// folder with the same text, the signal and a backtrace; then the signal
// takes its default course. The handler runs on a stack of its own, so a
// stack overflow is reported too.
#pragma once

namespace bw {

// Installs the handler once; later calls do nothing.
void CrashHandler_Install();

// The report's file name.
inline constexpr const char* kCrashDumpFile = "MidiDump.dmp";

}  // namespace bw
