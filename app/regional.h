#pragma once

// The date and number rules live with the shared dialog unit: that library sits below every
// part of the program that shows a date or a number (size texts, search, status bar,
// printout), which app/ does not.
#include "dialogs/regional.h"
