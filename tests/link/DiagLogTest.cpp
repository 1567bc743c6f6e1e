#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "link/DiagLog.h"

using zelvo::TDiagLog;

TEST(DiagLog, AppendsOneWindows1252LinePerMessageBesideTheSettingsFile) {
  QTemporaryDir dir;
  const QString settings = dir.filePath("Zelvo730.ini");
  EXPECT_EQ(TDiagLog::FileBeside(settings), dir.filePath("Zelvo730.log"));

  TDiagLog log;
  log.SetEchoToStderr(false);
  log.SetFile(TDiagLog::FileBeside(settings));
  log.Send("09:05:07<SG\r");  // a sent command keeps its CR; it is not doubled in the file
  log.Send(QString::fromUtf8("09:05:08:Fehler \u00e4"));
  TDiagLog again;  // a later run appends to what is there
  again.SetEchoToStderr(false);
  again.SetFile(log.File());
  again.Send("09:05:09:FA01");
  again.Send("09:05:10 Programm : ZELVO730-PC\r1.0.0\r\nconverter not found\r");  // lines joined with CR


  QFile file(log.File());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("09:05:07<SG\n09:05:08:Fehler \xE4\n09:05:09:FA01\n"
                                 "09:05:10 Programm : ZELVO730-PC\n1.0.0\nconverter not found\n"));
}
