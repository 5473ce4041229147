#include "platform/prng.h"
#include "platform/sqltext.h"
#include "platform/textnum.h"

#include <gtest/gtest.h>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <string>

using namespace textnum;

namespace {
// Puts a comma-decimal locale into the C library's LC_NUMERIC, as QApplication
// does from a German environment: an installed one, else de_DE compiled into
// `dir`. False when the machine has neither.
bool use_comma_numbers(const QTemporaryDir& dir) {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) return true;
  QProcess localedef;
  localedef.start(QStringLiteral("localedef"), {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                                                QStringLiteral("ISO-8859-1"), dir.filePath(QStringLiteral("de_DE"))});
  localedef.waitForFinished(30000);
  qputenv("LOCPATH", dir.path().toLocal8Bit());
  const bool ok = std::setlocale(LC_NUMERIC, "de_DE") != nullptr;
  qunsetenv("LOCPATH");
  return ok;
}
}  // namespace

TEST(NumericValue, ReadsTheNumberATextBeginsWith) {
  EXPECT_DOUBLE_EQ(numeric_value(u"12abc"), 12);
  EXPECT_DOUBLE_EQ(numeric_value(u"   -3.25 rest"), -3.25);
  EXPECT_DOUBLE_EQ(numeric_value(u"+7"), 7);
  EXPECT_DOUBLE_EQ(numeric_value(u".5"), 0.5);
  EXPECT_DOUBLE_EQ(numeric_value(u"5."), 5);
  EXPECT_DOUBLE_EQ(numeric_value(u"1e3"), 1000);
  EXPECT_DOUBLE_EQ(numeric_value(u"2.5E-1x"), 0.25);
  // An exponent without digits is not part of the number.
  EXPECT_DOUBLE_EQ(numeric_value(u"4e"), 4);
  EXPECT_DOUBLE_EQ(numeric_value(u"4e+"), 4);
}

TEST(NumericValue, TextsWithoutANumberGiveZero) {
  EXPECT_DOUBLE_EQ(numeric_value(u""), 0);
  EXPECT_DOUBLE_EQ(numeric_value(u"abc"), 0);
  EXPECT_DOUBLE_EQ(numeric_value(u"-"), 0);
  EXPECT_DOUBLE_EQ(numeric_value(u"."), 0);
  EXPECT_DOUBLE_EQ(numeric_value(u"x12"), 0);
}

TEST(NumericValue, PointIsTheSeparatorWhateverTheLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German));
  EXPECT_DOUBLE_EQ(numeric_value(u"1.5"), 1.5);
  EXPECT_DOUBLE_EQ(numeric_value(u"1,5"), 1);
  QLocale::setDefault(saved);

  const std::string saved_numeric = std::setlocale(LC_NUMERIC, nullptr);
  QTemporaryDir dir;
  if (!use_comma_numbers(dir)) GTEST_SKIP() << "no comma-decimal locale on this machine";
  EXPECT_DOUBLE_EQ(numeric_value(u"12.5"), 12.5);
  EXPECT_DOUBLE_EQ(numeric_value(u"-2.5e-1"), -0.25);
  EXPECT_EQ(sql_number(12.5), u"12.5");
  std::setlocale(LC_NUMERIC, saved_numeric.c_str());
}

TEST(NumericValue, IsNumberWantsTheWholeText) {
  EXPECT_TRUE(is_number(u"12"));
  EXPECT_TRUE(is_number(u" -3.5 "));
  EXPECT_TRUE(is_number(u"1e3"));
  EXPECT_FALSE(is_number(u""));
  EXPECT_FALSE(is_number(u"12abc"));
  EXPECT_FALSE(is_number(u"1; DROP TABLE items"));
  EXPECT_FALSE(is_number(u"-"));
}

TEST(Rounding, TiesGoToEven) {
  EXPECT_EQ(*to_int32(12.5), 12);
  EXPECT_EQ(*to_int32(13.5), 14);
  EXPECT_EQ(*to_int32(-2.5), -2);
  EXPECT_EQ(*to_int32(2.4999), 2);
  EXPECT_EQ(*to_int32(2.5001), 3);
  EXPECT_EQ(*to_int16(32767.4), 32767);
}

TEST(Rounding, ValuesThatDoNotFitGiveNothing) {
  EXPECT_FALSE(to_int32(2147483647.6).has_value());
  EXPECT_TRUE(to_int32(2147483647.4).has_value());
  EXPECT_FALSE(to_int32(-2147483648.6).has_value());
  EXPECT_FALSE(to_int16(32767.6).has_value());
  EXPECT_FALSE(to_int32(std::numeric_limits<double>::quiet_NaN()).has_value());
}

TEST(DecimalText, WholeNumbersHaveNoPoint) {
  EXPECT_EQ(number_text(42), u"42");
  EXPECT_EQ(number_text(-7), u"-7");
  EXPECT_EQ(number_text(100.0), u"100");
  EXPECT_EQ(sql_number(18475), u"18475");
}

TEST(DecimalText, FractionsUseTheLocaleInTextsAndAPointInStatements) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German));
  EXPECT_EQ(number_text(13.5), u"13,5");
  EXPECT_EQ(sql_number(13.5), u"13.5");
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(number_text(0.1), u"0.1");
  QLocale::setDefault(saved);
}

TEST(SqlText, QuotesAndEscapesEverythingThatCouldEndALiteral) {
  EXPECT_EQ(sqltext::quote(u"plain"), u"'plain'");
  EXPECT_EQ(sqltext::quote(u"Tarn's \"Blade\""), u"'Tarn''s \"Blade\"'");
  EXPECT_EQ(sqltext::quote(u"a\\' OR 1=1 -- "), u"'a\\\\'' OR 1=1 -- '");
  EXPECT_EQ(sqltext::escape(QStringView(u"x\ny")), u"x\\ny");
}

TEST(SqlText, KeywordsCountOutsideQuotedTextOnly) {
  const struct {
    const char16_t* sql;
    bool holds;
  } cases[] = {
      {u"aint=5 INTO OUTFILE '/tmp/x'", true},
      {u"aint=5 into @x", true},
      {u"aint=5 InTo", true},
      {u"aint=5 INTO@x", true},
      {u"aint=1.0INTO @x", true},      // a number ends before the word
      {u"aint=\\NINTO @x", true},      // "\N" stands alone
      {u"aint=5 /*!INTO @x*/", true},  // the server runs these comments
      {u"aint=5 /*!50000INTO @x*/", true},
      {u"aint=5 /*M!100000 INTO @x*/", true},
      {u"aint=5 -- INTO @x", true},     // words in comments count too
      {u"aint=5 -- '\nINTO @x", true},  // a quote in a comment opens nothing
      {u"aint=5 # '\nINTO @x", true},
      {u"aint=5 /* ' */ INTO @x", true},
      {u"name='it''s' INTO @x", true},
      {u"name='a\\'' INTO @x", true},      // "\'" inside quotes is a quote
      {u"name='a\\' INTO @x -- '", true},  // ...unless backslashes escape nothing
      {u"`a\\` INTO @x", true},            // names have no backslash escapes
      {u"aint=5", false},
      {u"name LIKE '%into%' OR name=\"Into the Deep\" OR `into`=1", false},
      {u"pinto=1 OR intox=2 OR x_into=3 OR $into=4 OR into5=6", false},
      {u"name='a''b INTO c'", false},
      {u"aint--5 AND name='x -- INTO'", false},  // "--" without a blank is no comment
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sqltext::holds_keyword(c.sql, u"INTO"), c.holds) << QString::fromUtf16(c.sql).toStdString();
  }
}

TEST(Prng, SameSequenceEveryRunAndWithinRange) {
  prng::restart_sequence();
  std::vector<double> first;
  for (int i = 0; i < 1000; ++i) {
    const double v = prng::next();
    ASSERT_GE(v, 0.0);
    ASSERT_LT(v, 1.0);
    first.push_back(v);
  }
  prng::restart_sequence();
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(prng::next(), first[static_cast<size_t>(i)]);
  // Not stuck on a short cycle.
  std::sort(first.begin(), first.end());
  EXPECT_GT(std::unique(first.begin(), first.end()) - first.begin(), 990);
}
