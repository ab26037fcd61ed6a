#include <string>
#include <vector>

#include "cli/converter.h"

int main(int argc, char** argv) {
    return velmora::RunConverter(std::vector<std::string>(argv + 1, argv + argc));
}
