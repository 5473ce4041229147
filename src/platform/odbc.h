#pragma once
// Our own small connection and result set over the unixODBC C API.
//
// A result set reads the whole result when it is opened (a static, client-side
// result), so its record count is exact before the first row is read. Rows are
// fetched with bound columns and row arrays; values are kept as the text the
// server sent (UTF-8), with NULL kept apart from an empty text.
//
// Every failure of the driver or the server is thrown as db::Error with the
// server's message; nothing here ends the program.

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace db {

class Error : public std::runtime_error {
 public:
  Error(const QString& message, const QString& sqlstate = {}, int native_error = 0);
  const QString& message() const { return message_; }
  const QString& sqlstate() const { return sqlstate_; }
  int native_error() const { return native_; }
  // The link to the server is gone (or was never made).
  bool connection_lost() const;

 private:
  QString message_;
  QString sqlstate_;
  int native_ = 0;
};

// One value of the current row.
class Field {
 public:
  Field() = default;
  Field(bool is_null, bool numeric_column, QString text)
      : null_(is_null), numeric_(numeric_column), text_(std::move(text)) {}
  bool is_null() const { return null_; }
  // The column holds numbers (integer, decimal or floating point).
  bool is_numeric_column() const { return numeric_; }
  // The value as text; an empty text for NULL.
  const QString& text() const { return text_; }
  // The numeric value of the text (0 for NULL or for a text without a number).
  double number() const;

 private:
  bool null_ = true;
  bool numeric_ = false;
  QString text_;
};

// What a rollback did with the changes of the transaction.
enum class Rollback {
  undone,   // the database is as it was when the transaction began
  kept,     // a table that cannot roll back (such as MyISAM) kept changes
  unknown,  // the link was lost after changes were sent: a table that can
            // roll back kept none of them, one that cannot kept them
};

class Transaction;

class Connection {
 public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void set_connection_string(const QString& text) { connection_string_ = text; }
  const QString& connection_string() const { return connection_string_; }

  // Opens the connection with the connection string; throws on failure.
  // The session refuses a value its column cannot hold (STRICT_ALL_TABLES
  // is added to the modes the server gives it) instead of storing the
  // nearest one without a word.
  void open();
  // Closes the connection. Refused (std::logic_error, nothing closed) while a
  // transaction is open: its changes would be lost without a word. End the
  // transaction first.
  void close();
  bool is_open() const { return dbc_ != nullptr && open_; }

  // Runs a statement; returns the count of affected rows (-1 when unknown).
  // A statement that fails inside a transaction counts as one that may have
  // changed rows: it may have stopped part-way.
  long long execute(const QString& sql);

  // Transactions are begun and committed through db::Transaction only.
  // Never throws. The server is asked whether it could undo everything.
  // When the link to the server turns out to be lost, the connection is
  // dropped (closed), so that the next operation connects again; the server
  // rolls back by itself.
  Rollback rollback();
  bool in_transaction() const { return in_transaction_; }
  // What the last rollback (or failed commit) did with its transaction's
  // changes; undone once a new transaction begins or the connection opens
  // anew.
  Rollback last_rollback() const { return last_rollback_; }

  void* native_handle() const { return dbc_; }

 private:
  friend class Transaction;
  // Begin turns autocommit off until commit or rollback. A link that has
  // died since its last use (the server restarted, the connection was
  // killed) is renewed first: nothing has been sent on it yet.
  void begin_transaction();
  void commit();
  Rollback end_transaction(bool commit);
  // The server no longer answers on the link.
  bool link_dead() const;
  // Closes without regard to a transaction (the server ends it).
  void drop();
  // Frees the link, leaving the transaction state as it is.
  void release_link();
  // Closes and connects again; left closed when the server cannot be
  // reached (the next operation connects again).
  void renew();
  friend class ResultSet;
  // After a statement or query failed. The driver keeps its lock of the
  // connection after some failed statements (any holding ";"): the thread
  // that failed may take it again, any other would wait for it forever. So
  // the link is renewed at once, on the thread that failed; inside a
  // transaction, when the transaction ends, so that none of it runs on a new
  // link. A failed `sql` holding ";" inside a transaction, on a thread other
  // than the transaction's own, frees the link at once: the transaction's
  // thread could not even end it. Its later statements then fail and the
  // server rolls it back. Any other failure there leaves the link to the
  // transaction's thread, whose rollback then tells what became of the
  // changes (a long write's statements run on a worker).
  void after_failure(const QString& sql);
  std::thread::id transaction_thread_;
  QString connection_string_;
  void* dbc_ = nullptr;
  bool open_ = false;
  bool in_transaction_ = false;
  // A statement of the open transaction changed rows, or may have (it
  // failed, perhaps part-way, or its link was lost while it ran).
  bool changed_ = false;
  // A failure inside the open transaction: the link is renewed when the
  // transaction ends.
  bool renew_pending_ = false;
  Rollback last_rollback_ = Rollback::undone;
};

// Sees the text of every statement and query just before it goes to the
// server, with the connection it goes over; nothing sees them by default.
// For tests that check what the server is sent.
using StatementObserver = std::function<void(const Connection&, const QString&)>;
void set_statement_observer(StatementObserver observer);

// One transaction on a connection: begun when made, rolled back when it
// ends without commit(), whatever way the scope is left. A failure that lost
// the link drops the connection (see Connection::rollback); what became of
// the changes is then the connection's last_rollback().
//
//   db::Transaction tx(db_conn);
//   db_conn.execute(...);
//   tx.commit();
class Transaction {
 public:
  explicit Transaction(Connection& conn);  // throws db::Error
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // Makes the changes last; throws db::Error (and the changes are gone) when
  // the server refuses.
  void commit();

 private:
  Connection& conn_;
  bool done_ = false;
};

// Rows of a result as the driver hands them over, a block at a time. Valid
// only during the RowReader::take call it is passed to; rows and columns
// count from 0 and must lie within the block.
class RowBlock {
 public:
  int size() const { return rows_; }
  // The column holds numbers (as Field::is_numeric_column).
  bool is_numeric_column(int column) const { return columns_[static_cast<std::size_t>(column)].numeric; }
  bool is_null(int row, int column) const;
  // The value as the server sent it, in UTF-8; empty for NULL.
  QByteArrayView text(int row, int column) const;
  // The numeric value of the text, as Field::number gives it.
  double number(int row, int column) const;

 private:
  friend class ResultSet;
  struct Column {
    const char* data = nullptr;
    std::size_t width = 0;
    const long* ind = nullptr;                 // SQLLEN
    const std::vector<char>* whole = nullptr;  // a value longer than its buffer (one-row blocks)
    bool numeric = false;
  };
  std::vector<Column> columns_;
  int rows_ = 0;
};

// What ResultSet::read hands a result to.
class RowReader {
 public:
  virtual ~RowReader() = default;
  // The result has `rows` rows. Called before the first block, and again
  // when the reading starts over from the first row (a value turned out
  // longer than its buffer): what was taken before is to be dropped.
  virtual void begin(int rows) = 0;
  virtual void take(const RowBlock& block) = 0;
};

class ResultSet {
 public:
  ResultSet() = default;
  ResultSet(const ResultSet&) = delete;
  ResultSet& operator=(const ResultSet&) = delete;
  ResultSet(ResultSet&&) noexcept = default;
  ResultSet& operator=(ResultSet&&) noexcept = default;

  // Runs the query on the connection and reads its whole result. A result
  // set that is still open is closed first. Throws db::Error.
  void open(const QString& sql, Connection& conn);
  // Runs the query and hands its rows to `reader` as they are fetched, a
  // block at a time, keeping none of them: for a result too large to hold
  // twice. The result set is closed first and stays closed. Throws
  // db::Error.
  // Any thread may run this (the statement observer then hears the query on
  // that thread); nothing else may use the connection until it returns. It
  // needs no order of calls among threads: after a failure the
  // connection is sound for every thread again (see after_failure): renewed
  // at once outside a transaction, so nothing of the session (temporary
  // tables, session variables) may be counted on afterwards; inside a
  // transaction begun on another thread a failed query holding ";" closes
  // the link, which ends that transaction, so begin one around such a read
  // on a worker only when a failed read may end it (as read_only does).
  void read(const QString& sql, Connection& conn, RowReader& reader);
  // Runs `query` (a read through this result set) inside a read-only
  // transaction that is rolled back before this returns, however it ends:
  // the query can read the database but change nothing in it, and the
  // connection is back in autocommit mode afterwards. Refused (db::Error,
  // nothing sent) while the connection has a transaction open, which
  // starting another would commit. The transaction is begun and ended on
  // this thread even when `query` reads on a worker thread: the driver keeps
  // a lock of the connection across some of those calls, which another
  // thread would then wait for forever.
  void read_only(Connection& conn, const std::function<void()>& query);
  void close();
  bool is_open() const { return open_; }

  int record_count() const { return rows_; }
  // True when there is no current row (at once for an empty result).
  bool eof() const { return !open_ || current_ >= rows_; }
  void move_first() { current_ = 0; }
  void move_next();

  int field_count() const { return static_cast<int>(columns_.size()); }
  QString field_name(int index) const;
  // Index of a column by name, without regard to case; -1 when there is none.
  int column_index(QStringView name) const;

  // A value of the current row, by position (from 0) or by name. Throws
  // db::Error when there is no current row or no such column.
  Field field(int index) const;
  Field field(QStringView name) const;
  // field(index).number() without making the field's text, for loops over
  // many rows.
  double number(int index) const;
  // A value of any row, by position, without moving (row from 0).
  Field value(int row, int column) const;

 private:
  struct Column {
    QString name;
    bool numeric = false;
  };
  struct Binding {
    std::size_t chars = 0;
    std::vector<char> buffer;
    std::vector<long> ind;  // SQLLEN
    std::vector<char> whole;
  };
  class Store;

  // Runs the query and hands its rows to `reader`; sets the columns. On a
  // failure the result set is closed (and see Connection::after_failure).
  void run(const QString& sql, Connection& conn, RowReader& reader);
  void run_query(const QString& sql, Connection& conn, RowReader& reader);
  // Fetches every row with the given block size; false when a value was
  // longer than its buffer and rowset > 1 (before the block that holds it
  // is handed over).
  static bool read_rows(void* statement, std::vector<Binding>& bind, const std::vector<bool>& numeric,
                        std::size_t rowset, RowReader& reader);

  bool open_ = false;
  int rows_ = 0;
  int current_ = 0;
  std::vector<Column> columns_;
  std::vector<char> arena_;             // every value's text in UTF-8, one after another
  std::vector<std::uint32_t> offsets_;  // start of each cell; one extra at the end
  std::vector<std::uint8_t> nulls_;     // 1 where the cell is NULL
};

}  // namespace db
