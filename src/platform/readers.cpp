#include "platform/readers.h"

#include <QFile>
#include <QStringDecoder>

namespace readers {
namespace {
bool is_blank(QChar c) { return c == u' ' || c == u'\t'; }
bool is_line_end(QChar c) { return c == u'\r' || c == u'\n'; }
}  // namespace

QString decode_text(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(bytes);
  if (!utf8.hasError()) {
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
  }
  return QString::fromLatin1(bytes);
}

std::optional<QString> read_text_file(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return decode_text(f.readAll());
}

std::optional<QString> LineReader::next() {
  if (pos_ >= text_.size()) return std::nullopt;
  qsizetype end = pos_;
  while (end < text_.size() && !is_line_end(text_[end])) ++end;
  QString line = text_.mid(pos_, end - pos_);
  pos_ = end;
  if (pos_ < text_.size()) {
    if (text_[pos_] == u'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\n')
      pos_ += 2;
    else
      ++pos_;
  }
  return line;
}

std::optional<QString> FieldReader::next() {
  const qsizetype n = text_.size();
  while (pos_ < n && is_blank(text_[pos_])) ++pos_;
  if (pos_ >= n) {
    // "a," ends with an empty field after the comma; a text that simply ends
    // holds no further field.
    if (after_comma_) {
      after_comma_ = false;
      return QString();
    }
    return std::nullopt;
  }

  QString field;
  if (text_[pos_] == u'"') {
    const qsizetype close = text_.indexOf(u'"', pos_ + 1);
    if (close < 0) {
      field = text_.mid(pos_ + 1);
      pos_ = n;
      after_comma_ = false;
      return field;
    }
    field = text_.mid(pos_ + 1, close - pos_ - 1);
    pos_ = close + 1;
    while (pos_ < n && text_[pos_] != u',' && !is_line_end(text_[pos_])) ++pos_;
  } else {
    qsizetype end = pos_;
    while (end < n && text_[end] != u',' && !is_line_end(text_[end])) ++end;
    qsizetype last = end;
    while (last > pos_ && is_blank(text_[last - 1])) --last;
    field = text_.mid(pos_, last - pos_);
    pos_ = end;
  }

  after_comma_ = false;
  if (pos_ < n) {
    if (text_[pos_] == u',') {
      ++pos_;
      after_comma_ = true;
    } else if (text_[pos_] == u'\r' && pos_ + 1 < n && text_[pos_ + 1] == u'\n') {
      pos_ += 2;
    } else {
      ++pos_;
    }
  }
  return field;
}

}  // namespace readers
