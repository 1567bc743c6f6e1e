// Detector data into the kept signals and the chart; chart view and monitoring.
#include "app/Zelvo730_Main.h"

void TForm1::DataDrainStep() {}
void TForm1::ChartReload() {}
void TForm1::Chart1AfterDraw() {}
void TForm1::editScaleExit() {}
void TForm1::editScaleMinExit() {}
void TForm1::btnMonitorClick() {}
