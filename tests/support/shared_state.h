#pragma once
// Between tests and benchmark runs: the program-wide state as at the
// program's start, so that no run sees what the one before it left.

namespace testing_support {

// Every shared value back to its start (none, empty, 0); an open
// transaction is rolled back and the connection closed.
void reset_shared_state();

}  // namespace testing_support
