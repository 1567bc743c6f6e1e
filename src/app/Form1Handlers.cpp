// Event handlers of the window whose behaviour belongs to another subsystem and is not
// written yet. They are wired by the layout; each moves to its subsystem's file with its
// body.
#include "app/Zelvo730_Main.h"

void TForm1::PageControlExit() {}
void TForm1::tabFaktorenExit() {}
void TForm1::Chart1AfterDraw() {}
void TForm1::UpdateStartzelle() {}
void TForm1::UpdateAnzahlZellen() {}
void TForm1::UpdateMesszeit() {}
void TForm1::UpdateAnzahlMessreihen() {}
void TForm1::UpdateDurchbruchschwelle() {}
void TForm1::editLimitFPDExit() {}
void TForm1::UpdateMengeIsobuthan() {}
void TForm1::UpdateMengeSulfur() {}
void TForm1::btnStartClick() {}
void TForm1::btnStopClick() {}
void TForm1::btnDelayClick() {}
void TForm1::editStartdelayExit() {}
void TForm1::rgStandardClick() {}
void TForm1::editScaleExit() {}
void TForm1::editScaleMinExit() {}
void TForm1::btnMonitorClick() {}
void TForm1::ValueListEditor1MouseDown(Qt::MouseButton, int, int) {}
void TForm1::ValueListEditor2MouseDown(Qt::MouseButton, int, int) {}
void TForm1::ValueListEditor1EndDrag(QObject *) {}
void TForm1::ValueListEditor2EndDrag(QObject *) {}
void TForm1::FactDragOver(QObject *, QObject *, bool &) {}
void TForm1::btnSpeichernClick() {}
void TForm1::btnLadenClick() {}
void TForm1::editInfo1Exit() {}
void TForm1::editInfo2Exit() {}
void TForm1::editInfo3Exit() {}
void TForm1::memoDescriptionKeyPress(QChar &) {}
