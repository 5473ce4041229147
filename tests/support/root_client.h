#pragma once
// The server's root through the private server's socket, as scripts/db.sh
// reaches it: for what the editor's account may not do (making accounts,
// the general log, server settings). Tests and benchmarks share it.

#include <QString>

namespace testing_support {

// Runs `script` in the mariadb client as root; returns what it printed
// (batch mode, no column names). Throws std::runtime_error when the client
// does not start or the server refuses.
QString root_sql(const QString& script);

}  // namespace testing_support
