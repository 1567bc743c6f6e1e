// The window's controls, their places, captions' text numbers (Tag) and wiring.
#include "app/Zelvo730_Main.h"

void TForm1::CreateControls() {}
