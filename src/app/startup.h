// The runner's life: the command line, the early initialisers, the start-up
// stages (each announced on the console), the main loop and the shut-down in
// its fixed order. Runner_Main is the whole of it; main() only hands over
// the arguments.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace bw {

class IniFile;

// The switches of the command line and the options.ini keys that match
// them.
struct StartupSettings {
    std::string gamePath;  // "data.win" beside the program wins over "-game"
    bool debug = false;
    int32_t debugMode = 0;
    bool trace = false;
    bool ext = false;
    bool showErrors = true;
    bool newExecution = true;
    bool noAudio = false;
    bool inAWindow = false;
    bool record = false;
    bool playback = false;
    std::string recordFile;  // shared by "-record" and "-playback"
    bool steam = false;
};
StartupSettings& Startup();

// Applies every switch of the tokens (the program name not among them).
// Debug, extension, record, playback, no-audio, in-a-window and debug mode
// start from their defaults each time; a token that is no switch is skipped.
void Brackwell_ParseCommandLine(std::span<const std::string> tokens);
// The "DEFAULT" section of options.ini.
void Runner_ReadIniOptions(IniFile& ini);

bool Brackwell_EarlyInit();
// The stages; false when one fails.
bool Brackwell_Init();
bool Brackwell_DoTheWork();
bool PrepareGame();
bool Runner_InitGraphics();
void Brackwell_Shutdown();

// Number of times the splash was shown in this process.
int32_t Splash_CallCount();

// The process's exit code once the runner has shut down: 1 when start-up
// could not go on, kFatalErrorExitCode when an error ended the game (the
// player chose "Abort", or the error was fatal), else 0.
int Runner_ExitStatus(bool started);
// Ends the process at once with the status, after a fatal error of the
// machine: the temporary folder is deleted and the output flushed.
[[noreturn]] void Runner_EndProcess(int status);

// The whole run; the result is the process's exit code (Runner_ExitStatus).
int Runner_Main(int argc, char** argv);

}  // namespace bw
