#pragma once
// The program's exceptions. An error in an event handler ends that handler and its Message()
// is shown in the standard error box; the kinds below let callers catch what they expect.
#include <QString>
#include <stdexcept>

namespace zelvo {

// Base of every error the program raises itself. what() is the message in UTF-8.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const QString &message) : std::runtime_error(message.toStdString()), FMessage(message) {}
  const QString &Message() const { return FMessage; }

 private:
  QString FMessage;
};

// A text that does not convert to a number.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be opened, read, written or replaced. The message names the path and
// the reason.
class EFileError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace zelvo
