#pragma once
// The two readers of the program's text files.
//
// Line reader: the next line without its line end; a line ends with CR LF,
// CR alone or LF alone.
// Field reader: the next field; fields are separated by commas or line ends,
// blanks before a field are skipped, a field in double quotes comes back
// without them and may hold commas and line ends. Blanks at the end of an
// unquoted field are dropped; text between a closing quote and the next comma
// or line end is dropped; an empty line is an empty field.

#include <QByteArray>
#include <QString>
#include <optional>

namespace readers {

// Text of a file's bytes: UTF-8 when the bytes are valid UTF-8, else Latin-1
// (the older tools write their files in the Windows code page).
QString decode_text(const QByteArray& bytes);

// Whole text of a file; nothing when it cannot be opened.
std::optional<QString> read_text_file(const QString& path);

class LineReader {
 public:
  explicit LineReader(QString text) : text_(std::move(text)) {}
  // The next line; nothing at the end of the text.
  std::optional<QString> next();

 private:
  QString text_;
  qsizetype pos_ = 0;
};

class FieldReader {
 public:
  explicit FieldReader(QString text) : text_(std::move(text)) {}
  // The next field; nothing when the text holds no further field.
  std::optional<QString> next();

 private:
  QString text_;
  qsizetype pos_ = 0;
  bool after_comma_ = false;  // the last field ended at a comma
};

}  // namespace readers
