#pragma once

#include <QIcon>
#include <QString>

namespace kestrove {

// A picture of the program's resources by its name without extension (":/kestrove/logo"): the
// drawing itself ("<name>.svg") where the program holds it, else the pictures rendered from it
// at build time ("<name>/<height>.png"), for a Qt without an SVG module.
QIcon ResourceIcon(const QString& name);

}  // namespace kestrove
