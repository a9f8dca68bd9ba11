#include "app/usage.h"

namespace bw {

const char* Runner_Usage()
{
    return "Usage: bwrun -game FILE [switches]\n"
           "  -game FILE         play the package FILE (a data.win beside the program is played instead)\n"
           "  -debug             open the debug window and the debugger server on 127.0.0.1 port 6509\n"
           "  -trace             log each run of code on the virtual machine, each script call and each built-in call\n"
           "  -ext               keep extension calls from reaching their libraries\n"
           "  -noerrors          show no dialog at all: errors go to the log, other dialogs take their default answer\n"
           "  -oldexec           run code compiled from text on the tree interpreter\n"
           "  -noaudio           play without sound\n"
           "  -inawindow         play in a window even when the game asks for full screen\n"
           "  -record FILE       record the keyboard and mouse into FILE\n"
           "  -playback FILE     play the input recorded in FILE back\n"
           "  -steam             start the platform services library when it is present\n"
           "  -output FILE       append the console log to FILE\n"
           "  -debugoutput FILE  accepted, but nothing is written to FILE: the one console log is -output's\n"
           "  --help, -h         show this text\n"
           "  --version          show the runner's version\n";
}

const char* Runner_NoPackageLine()
{
    return "No game package: put data.win beside the program or name one with -game FILE\n";
}

const char* Runner_Version()
{
    return "bwrun 0.1.0\n";
}

}  // namespace bw
