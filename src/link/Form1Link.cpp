// The main window's side of the instrument link: ports, line reception, queues.
#include "app/Zelvo730_Main.h"

void TForm1::CreateLinkObjects() {}
