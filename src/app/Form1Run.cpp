// The measurement run: start, stop, delayed start, the countdown and the sequencer's step.
#include "app/Zelvo730_Main.h"

void TForm1::DelayedStartStep() {}
void TForm1::RunTimeRefresh() {}
void TForm1::RunStateStep() {}
void TForm1::btnStartClick() {}
void TForm1::btnStopClick() {}
void TForm1::btnDelayClick() {}
void TForm1::editStartdelayExit() {}
