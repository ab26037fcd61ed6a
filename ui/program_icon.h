// The program's icon, painted in code: an angle measured from a station.
#pragma once

#include <QIcon>

namespace velmora {

QIcon ProgramIcon();

}  // namespace velmora
