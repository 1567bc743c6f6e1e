#pragma once
// The result file: a ";"-separated text file, a header block that records the test
// conditions, then one measurement line per evaluated injection.
//
// The functions here build the lines (without line ends); TRecordWriter puts them on disk
// in Windows-1252 with CR LF. Numbers follow the given regional format (the system's,
// QLocale(), unless the caller passes another); ";" separates the fields in every locale.
#include <QLocale>
#include <QString>
#include <QStringList>

#include "core/DateTime.h"
#include "core/DeviceTyp.h"

namespace zelvo {

// What the header records, as the window has it when the file is chosen.
struct TResultHeader {
  int ID = 0;  // language offset: 0 German, 1000 English
  TDeviceTyp DeviceTyp = TDeviceTyp::FID;
  QString sDateiname;  // full path, as lblDateiname shows it
  TDateTime Now = 0;   // date and time of the choice
  QString sSerialNumber;
  // Set values of the setpoint panel.
  int TempMesskammer = 0, TempVentilblock = 0, TempEmissionskammer = 0, TempTransferline = 0;
  int Hochspannung = 0;
  // Actual values: the texts the status labels show at that moment ("27.0 ° C", "--- ° C").
  QString lblMesskammer, lblVentilblock, lblEmmision, lblTransfer, lblHVoltage;
  // Calibration and limits.
  double FIDCALMenge = 0;
  int FIDCalArea = 0;
  double LimitFID = 0, FIDSampleFactor = 0;
  double FPDCalMenge = 0;
  int FPDCalArea = 0;
  double LimitFPD = 0, FPDFactor = 0;
  // Run parameters.
  int Startzelle = 0, AnzahlZellen = 0, AnzahlMessreihen = 0, SampleTime = 0, InjectionTime = 0, Messzeit = 0;
  // Lines of the experiment description; the first five are written.
  QStringList Description;
};

constexpr int kHeaderDescriptionLines = 5;

// The header block, column-title line included: 17 lines on FID and FPD instruments, 18 on
// FIDFPD.
QStringList ResultHeaderLines(const TResultHeader &header, const QLocale &locale = QLocale());

// The column titles (13 fields, 15 on FIDFPD); the last field of a measurement line has none.
QString ColumnTitleLine(int id, TDeviceTyp deviceTyp);

// One evaluated injection.
struct TMeasurementRecord {
  int runZelle = 1;                    // gas position 1..6
  QString Mark = QStringLiteral(" ");  // "*" for a breakthrough or an off cell, else a space
  QString BreakTime;                   // "--:--", the breakthrough time, or empty
  QString sChemikalie;
  double FIDSampleFactor = 0;
  double Flow = 0;  // ml/min
  QString RunTime;  // run time since the run started, "hh:nn:ss"
  double FIDppm = 0, FIDMessMenge = 0, FIDArea = 0;
  double FPDMessMenge = 0, FPDArea = 0;  // written on FIDFPD only
  QString SampleText;                    // the position's label or the cell's sample text
  TDateTime Now = 0;                     // wall date and time of the evaluation
  int runAktiv = 1;                      // number of the measurement in the run
};

QString MeasurementLine(const TMeasurementRecord &record, TDeviceTyp deviceTyp,
                        const QLocale &locale = QLocale());

// The result file name for a path chosen in the save dialog: its extension replaced by
// ".csv", or ".csv" appended when it has none (probe.txt -> probe.csv, probe -> probe.csv);
// a ".csv" in any case is kept as it is (PROBE.CSV stays PROBE.CSV).
QString ResultFileName(const QString &chosen);

// The name part of a path: what follows its last "/" or "\".
QString NamePart(const QString &path);

}  // namespace zelvo
