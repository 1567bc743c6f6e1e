// Start-up and shutdown of the main window.
#include "app/Zelvo730_Main.h"

void TForm1::FormCreate() {}

void TForm1::FormClose() {}

void TForm1::Timer1Timer() {}
