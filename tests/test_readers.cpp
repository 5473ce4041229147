#include "platform/readers.h"

#include <gtest/gtest.h>
#include <QStringList>

using readers::FieldReader;
using readers::LineReader;

namespace {
QStringList all_fields(const QString& text) {
  FieldReader r(text);
  QStringList out;
  while (auto f = r.next()) out << *f;
  return out;
}
QStringList all_lines(const QString& text) {
  LineReader r(text);
  QStringList out;
  while (auto l = r.next()) out << *l;
  return out;
}
}  // namespace

TEST(FieldReader, CommasAndLineEndsSeparateAlike) {
  EXPECT_EQ(all_fields(QStringLiteral("a,b,c\r\nd")), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}));
  EXPECT_EQ(all_fields(QStringLiteral("a\r\nb\r\nc\r\nd\r\n")), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}));
  EXPECT_EQ(all_fields(QStringLiteral("a\nb\rc")), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
}

TEST(FieldReader, BlanksBeforeAFieldAreSkippedInnerBlanksKept) {
  EXPECT_EQ(all_fields(QStringLiteral("   Right Ear ,\tLeft Ear")), (QStringList{u"Right Ear"_qs, u"Left Ear"_qs}));
}

TEST(FieldReader, QuotedFieldsHoldCommasAndLineEnds) {
  EXPECT_EQ(all_fields(QStringLiteral("\"a,b\",c")), (QStringList{u"a,b"_qs, u"c"_qs}));
  EXPECT_EQ(all_fields(QStringLiteral("\"line1\r\nline2\"\r\nnext")), (QStringList{u"line1\r\nline2"_qs, u"next"_qs}));
  // Text after the closing quote up to the separator is dropped.
  EXPECT_EQ(all_fields(QStringLiteral("\"ab\"junk,c")), (QStringList{u"ab"_qs, u"c"_qs}));
  // An unclosed quote runs to the end.
  EXPECT_EQ(all_fields(QStringLiteral("\"open,ended")), (QStringList{u"open,ended"_qs}));
}

TEST(FieldReader, EmptyFieldsAndTheEnd) {
  EXPECT_EQ(all_fields(QStringLiteral("a,,b")), (QStringList{u"a"_qs, u""_qs, u"b"_qs}));
  EXPECT_EQ(all_fields(QStringLiteral("a,")), (QStringList{u"a"_qs, u""_qs}));
  EXPECT_EQ(all_fields(QStringLiteral("a\r\n\r\nb")), (QStringList{u"a"_qs, u""_qs, u"b"_qs}));
  EXPECT_TRUE(all_fields(QString()).isEmpty());
  FieldReader r(QStringLiteral("x"));
  EXPECT_EQ(*r.next(), u"x");
  EXPECT_FALSE(r.next().has_value());
  EXPECT_FALSE(r.next().has_value());
}

TEST(LineReader, LineEndsOfEveryKind) {
  EXPECT_EQ(all_lines(QStringLiteral("a\r\nb\rc\nd")), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}));
  EXPECT_EQ(all_lines(QStringLiteral("a\r\n\r\nb\r\n")), (QStringList{u"a"_qs, u""_qs, u"b"_qs}));
  EXPECT_TRUE(all_lines(QString()).isEmpty());
}

TEST(DecodeText, Utf8WhenValidElseLatin1) {
  EXPECT_EQ(readers::decode_text(QByteArray("Fr\xc3\xa9"
                                            "d")),
            u"Fr\u00e9d");
  EXPECT_EQ(readers::decode_text(QByteArray("Fr\xe9"
                                            "d")),
            u"Fr\u00e9d");
  EXPECT_EQ(readers::decode_text(QByteArray("\xef\xbb\xbf"
                                            "abc")),
            u"abc");
}
