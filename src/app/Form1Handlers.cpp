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
void TForm1::ledV1_0Click() {}
void TForm1::ledV1_1Click() {}
void TForm1::ledV1_2Click() {}
void TForm1::ledV1_3Click() {}
void TForm1::ledV1_4Click() {}
void TForm1::ledV1_5Click() {}
void TForm1::ledV2_0Click() {}
void TForm1::ledV2_1Click() {}
void TForm1::ledV2_2Click() {}
void TForm1::ledV2_3Click() {}
void TForm1::ledV2_4Click() {}
void TForm1::ledV2_5Click() {}
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

// Declared in the setup and run sections by their owners; empty until they are written
// there (then remove them here).
void TForm1::btnVentilBlockSetClick() {}
void TForm1::btnMesskammerSetClick() {}
void TForm1::btnEmissionSetClick() {}
void TForm1::btnTransferSetClick() {}
void TForm1::btnHVoltageSetClick() {}
void TForm1::btnFPDAirSetClick() {}
void TForm1::btnFPDH2SetClick() {}
void TForm1::btnH2SetClick() {}
void TForm1::btnAirSetClick() {}
void TForm1::btnCarrierSetClick() {}
void TForm1::btnTransferAnClick() {}
void TForm1::btnEmissionAnClick() {}
void TForm1::btnHVoltageAnClick() {}
void TForm1::btnFPDAirANClick() {}
void TForm1::btnFPDH2AnClick() {}
void TForm1::btnMesskammerAnClick() {}
void TForm1::btnVentilblockAnClick() {}
void TForm1::btnIgnitionClick() {}
void TForm1::edH2Enter() {}
void TForm1::edAirEnter() {}
void TForm1::edCarrierEnter() {}
void TForm1::edH2Exit() {}
void TForm1::edAirExit() {}
void TForm1::edCarrierExit() {}
void TForm1::ledLoopClick() {}
