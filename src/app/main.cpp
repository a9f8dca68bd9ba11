// bwrun: plays a compiled game package.
#include "app/startup.h"

int main(int argc, char** argv)
{
    return bw::Runner_Main(argc, argv);
}
