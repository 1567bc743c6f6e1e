// Run parameters, factor and flow fields, substance lists, test standard.
#include "app/Zelvo730_Main.h"

bool TForm1::StoreFactorsAndFlows() { return true; }
void TForm1::PageControlExit() {}
void TForm1::tabFaktorenExit() {}
void TForm1::UpdateStartzelle() {}
void TForm1::UpdateAnzahlZellen() {}
void TForm1::UpdateMesszeit() {}
void TForm1::UpdateAnzahlMessreihen() {}
void TForm1::UpdateDurchbruchschwelle() {}
void TForm1::editLimitFPDExit() {}
void TForm1::UpdateMengeIsobuthan() {}
void TForm1::UpdateMengeSulfur() {}
void TForm1::rgStandardClick() {}
void TForm1::ValueListEditor1MouseDown(Qt::MouseButton, int, int) {}
void TForm1::ValueListEditor2MouseDown(Qt::MouseButton, int, int) {}
void TForm1::ValueListEditor1EndDrag(QObject *) {}
void TForm1::ValueListEditor2EndDrag(QObject *) {}
void TForm1::FactDragOver(QObject *, QObject *, bool &) {}
