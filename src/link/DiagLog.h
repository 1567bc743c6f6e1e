#pragma once
// The diagnostic logger: one operation, send a message. Each message goes to the log file
// "Zelvo730.log" beside the settings file (appended, one line per message, the file opened
// and closed for every line so nothing waits in a buffer) and to the standard error stream.
// Whether to log at all is the caller's decision (DebugLevel > 0).
#include <QString>

namespace zelvo {

class TDiagLog {
 public:
  static constexpr const char *kFileName = "Zelvo730.log";

  // The log file beside the given settings file.
  static QString FileBeside(const QString &settingsFile);

  // Until set, the log file sits in the folder of the executable (where the settings file is).
  void SetFile(const QString &path) { FFile = path; }
  QString File() const;
  void SetEchoToStderr(bool on) { FEchoToStderr = on; }

  // Writes the message as one line; a line end it carries (a command's CR) is not repeated.
  // Line breaks inside it (CR, LF or CR LF) are written as line breaks of the file.
  void Send(const QString &message) const;

 private:
  QString FFile;
  bool FEchoToStderr = true;
};

}  // namespace zelvo
