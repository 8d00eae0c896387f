#pragma once

class TForm1;

// Plugs every command family's handlers into the main window. The one place where the
// subsystems meet the window; runs before TForm1::FormCreate().
void installParts(TForm1 &form);
