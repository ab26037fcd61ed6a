// Placeholder until the converter lands.
#include "cli/converter.h"

namespace velmora {
int RunConverter(const std::vector<std::string>&) { return 0; }
}  // namespace velmora
