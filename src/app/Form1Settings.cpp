// The settings file as the window uses it: reads as they are, writes that report a failure
// instead of ending the handler that made them.
#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/Language.h"
#include "ui/Dialogs.h"
#include "ui/Widgets.h"

using namespace zelvo;

TIniFile TForm1::Settings() const {
  TIniFile ini(SettingsFile());
  ini.SetWriteReport([this](const QString &error) { SettingsWriteReport(error); });
  return ini;
}

void TForm1::SettingsWriteReport(const QString &error) const {
  auto *self = const_cast<TForm1 *>(this);
  if (error.isEmpty()) {
    if (SettingsWriteFailureShown) {
      SettingsWriteFailureShown = false;
      DiagLog.Send(TimeText(Clock::Now()) + QStringLiteral(" The settings file is written again."));
    }
    return;
  }
  const QString text = GetLangString(ID, kTextSettingsNotSaved).arg(error);
  if (statusbarRun) statusbarRun->SetText(text);
  DiagLog.Send(TimeText(Clock::Now()) + QLatin1Char(' ') + text);
  if (SettingsWriteFailureShown) return;
  SettingsWriteFailureShown = true;
  Dialogs::Notice(self, windowTitle(), text);
}
