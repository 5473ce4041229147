#include "app/app_start.h"
#include "platform/odbc.h"
#include "support/testdb.h"

#include <gtest/gtest.h>
#include <QEvent>

namespace {

// A receiver whose handler fails the way a database call does.
class FailingReceiver : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw db::Error(QStringLiteral("Lost connection to server during query"));
    return QObject::event(e);
  }
};

TEST(LootApplication, AFailureThatReachesTheEventLoopIsToldAndTheProgramGoesOn) {
  ASSERT_NE(dynamic_cast<LootApplication*>(QCoreApplication::instance()), nullptr);
  testing_support::RecordingIO io;
  set_operator_io(&io);
  FailingReceiver r;
  QEvent e(QEvent::User);
  EXPECT_NO_THROW(QCoreApplication::sendEvent(&r, &e));
  set_operator_io(nullptr);
  ASSERT_EQ(io.messages.size(), 1u);
  EXPECT_TRUE(io.messages[0].contains(u"Lost connection to server during query"));
  EXPECT_FALSE(io.ended);
}

}  // namespace
