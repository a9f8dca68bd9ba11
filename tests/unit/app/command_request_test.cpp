// What the command line asks for before a game starts (the answers are run
// end to end in integration/), and the one line that tells why an error
// ended the game.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_request.h"
#include "app/ending_error.h"
#include "platform/command_line.h"

namespace bw {
namespace {

CommandRequest RequestOf(const char* text)
{
    const std::vector<std::string> tokens = CommandLine_Split(text);
    return CommandLine_Request(tokens);
}

TEST(CommandRequestTest, HelpAndVersionWhereverTheyStand)
{
    EXPECT_EQ(RequestOf("--help").kind, CommandRequestKind::Help);
    EXPECT_EQ(RequestOf("-game a.win -noaudio -h").kind, CommandRequestKind::Help);
    EXPECT_EQ(RequestOf("-debug --version -game a.win").kind, CommandRequestKind::Version);
    EXPECT_EQ(RequestOf("--help -record").kind, CommandRequestKind::Help) << "help is answered before a lack";
    EXPECT_EQ(RequestOf("-game a.win -noaudio").kind, CommandRequestKind::Play);
    EXPECT_EQ(RequestOf("").kind, CommandRequestKind::Play) << "no package is start-up's own message";
}

TEST(CommandRequestTest, AnArgumentIsNeverARequest)
{
    EXPECT_EQ(RequestOf("-game --help").kind, CommandRequestKind::Play);
    EXPECT_EQ(RequestOf("-output -h -noaudio").kind, CommandRequestKind::Play);
    EXPECT_EQ(RequestOf("-record -playback").kind, CommandRequestKind::Play)
        << "a switch taken as the file name, as the switches are read";
}

TEST(CommandRequestTest, EachSwitchWithoutItsFileIsNamed)
{
    for (const char* name : {"-game", "-record", "-playback", "-output", "-debugoutput"}) {
        const CommandRequest request = RequestOf((std::string("-game a.win -noaudio ") + name).c_str());
        EXPECT_EQ(request.kind, CommandRequestKind::MissingArgument) << name;
        EXPECT_EQ(request.switchName, name);
    }
    EXPECT_EQ(RequestOf("-noaudio -debug").kind, CommandRequestKind::Play) << "switches without arguments";
}

TEST(EndingErrorTest, TheReportBecomesOneLine)
{
    const std::string rule(92, '#');
    const std::string dashes(92, '-');
    const std::string report = rule + "\nFATAL ERROR in\naction number 1\nof Create Event\nfor object obj_a:\n\n\n"
                                      "Divide by zero\n at Object.obj_a.Create.0 (line 9) -     x = 1 div 0;\n" +
                               rule + "\n" + dashes + "\nstack frame is\r\n";
    EXPECT_EQ(EndingError_Line(report),
              "The game ended on an error: FATAL ERROR in action number 1 of Create Event for object obj_a: "
              "Divide by zero at Object.obj_a.Create.0 (line 9) - x = 1 div 0; stack frame is\n");
    EXPECT_EQ(EndingError_Line("Error on load\nUnable to find function f -- or g\n"),
              "The game ended on an error: Error on load Unable to find function f -- or g\n")
        << "only a line made of nothing but a rule's character is left out";
}

}  // namespace
}  // namespace bw
