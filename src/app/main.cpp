#include "app/Application.h"
#include "app/Zelvo730_Main.h"

int main(int argc, char *argv[]) {
  TApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Zelvo730"));
  TForm1 form;
  form.FormCreate();
  // The start-up ended the program (no converter, a port that cannot be opened): the
  // window is never shown.
  if (form.TerminateRequested) return form.ExitCode != 0 ? form.ExitCode : 1;
  // SIGTERM, SIGINT and the session's quit end a run properly before the program ends.
  form.InstallExitHandling();
  form.show();
  return app.exec();
}
