// Placeholder until the program directory lands.
#include "text/program_directory.h"

namespace velmora {
const std::string& InitProgramDirectory() {
    static std::string dir;
    return dir;
}
std::string ProgramDirectory() { return InitProgramDirectory(); }
void OverrideProgramDirectory(std::string) {}
std::string DirectoryOfPath(std::string_view, char, bool) { return {}; }
}  // namespace velmora
