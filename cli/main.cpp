#include <csignal>
#include <string>
#include <vector>

#include "cli/converter.h"

int main(int argc, char** argv) {
    // A reader that goes away (velmora-convert big.txt | head) makes write(2)
    // fail with EPIPE, which the converter reports, instead of killing it.
    std::signal(SIGPIPE, SIG_IGN);
    return velmora::RunConverter(std::vector<std::string>(argv + 1, argv + argc));
}
