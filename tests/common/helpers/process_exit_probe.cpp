// Writes a line through buffered stdio, then ends through EndProcessNow with the code given
// as the first argument. Static state with a destructor shows whether the runtime's own exit
// ran: its destructor would print a second line.
#include <cstdio>
#include <cstdlib>

#include "common/ProcessExit.h"

namespace {

struct Witness {
    ~Witness() { std::printf("destructors ran\n"); }
} g_witness;

} // namespace

int main(int argc, char** argv)
{
    // Full buffering even on a console: nothing reaches the file unless it is flushed.
    static char buffer[4096];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    std::printf("before the end\n");
    EndProcessNow(argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 0u);
}
