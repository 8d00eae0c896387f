#pragma once

#include "state/commandtable.h"

#include <QIcon>
#include <QPixmap>

// The program's own pictograms, one per command, drawn in code so that they look alike
// and stay sharp at every size (16 and 24 pixels and their high-density variants).

QIcon tabulonIcon(Icon icon);
// The pictogram drawn at one size, for sizes the icons do not hold.
QPixmap tabulonPixmap(Icon icon, int size);
