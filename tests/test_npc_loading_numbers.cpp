// The loaders read numbers straight from the result without making each
// field's text; they must read what Field::number() reads.
#include "platform/odbc.h"
#include "shared/shared.h"
#include "support/testdb.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using testing_support::DbTest;

namespace {

using ResultNumbers = DbTest;

TEST_F(ResultNumbers, ReadTheSameAsTheFieldsText) {
  open_db(db_rs, db_conn);
  db_rs.open(
      u"SELECT 12, -7, 0, 2147483648, 123456789012345678, 1.5, -0.25, 1e300, NULL, '12abc', ' 3', "
      "'abc', '', 'caf\u00e9 9', '\u00e99', REPEAT('1', 80), '-', '4e', '+8.'"_s,
      db_conn);
  ASSERT_EQ(db_rs.record_count(), 1);
  for (int i = 0; i < db_rs.field_count(); ++i) {
    const double expected = db_rs.field(i).number();
    EXPECT_DOUBLE_EQ(db_rs.number(i), expected) << "field " << i << ": " << db_rs.field(i).text().toStdString();
  }
  EXPECT_DOUBLE_EQ(db_rs.number(0), 12);
  EXPECT_DOUBLE_EQ(db_rs.number(4), 123456789012345678.0);
  EXPECT_DOUBLE_EQ(db_rs.number(8), 0);
}

TEST_F(ResultNumbers, OutsideTheResultFailsAsFieldDoes) {
  open_db(db_rs, db_conn);
  db_rs.open(u"SELECT 1"_s, db_conn);
  EXPECT_THROW(db_rs.number(1), db::Error);
  db_rs.move_next();
  EXPECT_THROW(db_rs.number(0), db::Error);
}

}  // namespace
