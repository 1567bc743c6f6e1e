// Result file, raw data files, import of a raw data file, sample information.
#include "app/Zelvo730_Main.h"

void TForm1::WriteRecords(const zelvo::TCellEvaluation &, const zelvo::TRunState &, const QString &,
                          zelvo::TDateTime) {}
void TForm1::RecordsBeginRun() {}
void TForm1::RecordsRetryStep() {}
QStringList TForm1::StartWarnings() const { return {}; }
void TForm1::btnSpeichernClick() {}
void TForm1::btnLadenClick() {}
void TForm1::editInfo1Exit() {}
void TForm1::editInfo2Exit() {}
void TForm1::editInfo3Exit() {}
void TForm1::memoDescriptionKeyPress(QChar &) {}
