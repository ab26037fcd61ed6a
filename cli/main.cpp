#include <csignal>
#include <string>
#include <vector>

#include "cli/converter.h"

int main(int argc, char** argv) {
    // A reader that goes away (velmora-convert big.txt | head) makes write(2)
    // fail with EPIPE, which the converter reports, instead of killing it.
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a file size limit (ulimit -f) would end it halfway through
    // the output, leaving a temporary file behind; ignored, the write fails
    // with EFBIG and the failure is reported and cleaned up like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    return velmora::RunConverter(std::vector<std::string>(argv + 1, argv + argc));
}
