#include <csignal>
#include <string>
#include <vector>

#include "cli/converter.h"
#include "text/files.h"

int main(int argc, char** argv) {
    // A reader that goes away (velmora-convert big.txt | head) makes write(2)
    // fail with EPIPE, which the converter reports, instead of killing it.
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a file size limit (ulimit -f) would end it halfway through
    // the output.
    velmora::FailWritesBeyondFileSizeLimit();
    return velmora::RunConverter(std::vector<std::string>(argv + 1, argv + argc));
}
