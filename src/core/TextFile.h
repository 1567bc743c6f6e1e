#pragma once
// Whole-file reading and writing of the program's text files, always in Windows-1252.
// Every operation opens, reads or writes, and closes again; nothing stays open.
// Failures raise EFileError with the path and the reason.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace zelvo {

inline const QString kCrLf = QStringLiteral("\r\n");

// Lines of a text, cut at CR LF, LF or a lone CR. A line end at the very end does not start
// another line: "a\r\nb" and "a\r\nb\r\n" both give {"a", "b"}, "a\r\n\r\n" gives {"a", ""},
// and the empty text gives no line at all.
QStringList SplitLines(QStringView text);

// The text with every CR LF and every lone CR written as LF (texts joined with CR, the
// instrument's way, shown or logged with their line breaks).
QString WithLfLineBreaks(QString text);

// The first line end found in the text ("\r\n", "\n" or "\r"), or `fallback` when there is none.
QString FirstLineEnd(QStringView text, const QString &fallback = kCrLf);

QByteArray ReadFileBytes(const QString &path);
QStringList ReadTextLines(const QString &path);

// Replaces the file as a whole or not at all: the bytes go to the temporary file
// TempPathFor(path) beside it, are synced to disk, and the temporary file is then renamed
// over the old one. On any failure the old file is untouched, the temporary file is removed
// and EFileError is raised. The file keeps the permission bits of the file it replaces; when
// `path` is a symbolic link, the file it points to is replaced. A file this process may not
// write (made read-only) is not replaced: EFileError.
void WriteFileAtomic(const QString &path, QByteArrayView bytes);
QString TempPathFor(const QString &path);

// Writes the lines, each ended with `lineEnd`, replacing the file atomically.
void WriteTextLines(const QString &path, const QStringList &lines, const QString &lineEnd = kCrLf);

// Appends the lines, each ended with `lineEnd`, to an existing file (a missing file is an
// error, it is not created).
void AppendTextLines(const QString &path, const QStringList &lines, const QString &lineEnd = kCrLf);

}  // namespace zelvo
