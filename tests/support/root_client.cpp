#include "support/root_client.h"

#include <QProcess>
#include <stdexcept>

namespace testing_support {

QString root_sql(const QString& script) {
  const QString folder = qEnvironmentVariable("LOOT_DB_DIR", QStringLiteral(LOOT_SOURCE_DIR "/.db"));
  const QString socket = qEnvironmentVariable("LOOT_DB_SOCKET", folder + QStringLiteral("/mysqld.sock"));
  QProcess p;
  p.start(QStringLiteral("mariadb"),
          {QStringLiteral("--no-defaults"), QStringLiteral("--socket=") + socket, QStringLiteral("-uroot"),
           QStringLiteral("--batch"), QStringLiteral("--skip-column-names")});
  if (!p.waitForStarted(-1)) throw std::runtime_error("the mariadb client does not start");
  p.write(script.toUtf8());
  p.closeWriteChannel();
  p.waitForFinished(-1);
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    throw std::runtime_error("the server's root refused: " + p.readAllStandardError().toStdString());
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace testing_support
