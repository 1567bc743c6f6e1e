#pragma once
// Values of one test as the window would hand them over, shared by the record tests.
#include <QDate>
#include <QDateTime>
#include <QTime>

#include "core/DateTime.h"
#include "core/Language.h"
#include "results/ResultFile.h"

namespace fixtures {

inline zelvo::TDateTime March13() {
  return zelvo::ToDateTime(QDateTime(QDate(2023, 3, 13), QTime(14, 5, 9)));
}

inline zelvo::TResultHeader Header(int id, zelvo::TDeviceTyp typ, const QString &file) {
  zelvo::TResultHeader h;
  h.ID = id;
  h.DeviceTyp = typ;
  h.sDateiname = file;
  h.Now = March13();
  h.sSerialNumber = QStringLiteral("730-0815");
  h.TempMesskammer = 27;
  h.TempVentilblock = 100;
  h.TempEmissionskammer = 150;
  h.TempTransferline = 200;
  h.Hochspannung = 600;
  h.lblMesskammer = QStringLiteral("27.0 ° C");
  h.lblVentilblock = QStringLiteral("100.0 ° C");
  h.lblEmmision = QStringLiteral("150.0 ° C");
  h.lblTransfer = QStringLiteral("--- ° C");
  h.lblHVoltage = QStringLiteral("600 V");
  h.FIDCALMenge = 100;
  h.FIDCalArea = 45000;
  h.LimitFID = 0.1;
  h.FIDSampleFactor = 1.5;
  h.FPDCalMenge = 10.5;
  h.FPDCalArea = 120000;
  h.LimitFPD = 0.5;
  h.FPDFactor = 2;
  h.Startzelle = 4;
  h.AnzahlZellen = 3;
  h.AnzahlMessreihen = 10;
  h.SampleTime = 45;
  h.InjectionTime = 300;
  h.Messzeit = 60;
  // Six lines in the field: the sixth is not kept; a ";" would shift the columns.
  h.Description = {QStringLiteral("PVC; 0,5 mm"), QStringLiteral("Handschuh"), {}, {}, {},
                   QStringLiteral("six")};
  return h;
}

// Zero gas, the first measurement of a run.
inline zelvo::TMeasurementRecord ZeroGas(int runAktiv = 1) {
  zelvo::TMeasurementRecord r;
  r.runZelle = 1;
  r.Mark = QStringLiteral(" ");
  r.sChemikalie = QStringLiteral("Aceton");
  r.FIDSampleFactor = 1;
  r.Flow = 200;
  r.RunTime = QStringLiteral("00:12:30");
  r.FIDppm = 12.3456;
  r.FIDMessMenge = 0.07461;
  r.FIDArea = 4000.4;
  r.SampleText = QStringLiteral("Nullgas");
  r.Now = March13();
  r.runAktiv = runAktiv;
  return r;
}

}  // namespace fixtures
