#include "platform/odbc.h"

#include "platform/textnum.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>

namespace db {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use 2-byte SQLWCHAR");

SQLHENV shared_env() {
  static SQLHENV env = [] {
    SQLHENV e = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &e))) return SQLHENV(SQL_NULL_HENV);
    SQLSetEnvAttr(e, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return e;
  }();
  return env;
}

SQLWCHAR* wide(const QString& s) {
  return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(reinterpret_cast<const char16_t*>(s.utf16())));
}

// The driver's and server's messages for a failed call, as one error.
Error diagnostics(SQLSMALLINT type, SQLHANDLE handle, const QString& what) {
  QString message;
  QString first_state;
  int first_native = 0;
  for (SQLSMALLINT i = 1; handle != nullptr; ++i) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR text[1024] = {};
    SQLSMALLINT len = 0;
    const SQLRETURN rc = SQLGetDiagRecW(type, handle, i, state, &native, text, 1024, &len);
    if (!SQL_SUCCEEDED(rc)) break;
    const QString st = QString::fromUtf16(reinterpret_cast<const char16_t*>(state), 5);
    const QString tx = QString::fromUtf16(reinterpret_cast<const char16_t*>(text), std::min<int>(len, 1023));
    if (first_state.isEmpty()) {
      first_state = st;
      first_native = static_cast<int>(native);
    }
    if (!message.isEmpty()) message += u'\n';
    message += tx;
  }
  if (message.isEmpty()) message = what;
  return Error(message, first_state, first_native);
}

bool numeric_type(SQLSMALLINT t) {
  switch (t) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_BIT:
      return true;
    default:
      return false;
  }
}

// Characters to bind for a column. Long texts get a modest buffer; a longer
// value is read whole with SQLGetData when it turns up.
SQLLEN bound_chars(SQLSMALLINT type, SQLULEN size) {
  switch (type) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_BIT:
      return 24;
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
      return 40;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      return static_cast<SQLLEN>(std::min<SQLULEN>(size + 4, 80));
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATETIME:
      return 40;
    default:
      break;
  }
  // Texts arrive as UTF-8: up to four bytes a character.
  if (size == 0 || size > 128) return 513;
  return static_cast<SQLLEN>(size) * 4 + 1;
}

struct Statement {
  SQLHSTMT h = SQL_NULL_HSTMT;
  explicit Statement(SQLHDBC dbc) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h))) {
      h = SQL_NULL_HSTMT;
      throw diagnostics(SQL_HANDLE_DBC, dbc, QStringLiteral("Cannot start a statement on the connection."));
    }
  }
  ~Statement() {
    if (h != SQL_NULL_HSTMT) {
      SQLFreeStmt(h, SQL_CLOSE);
      SQLFreeHandle(SQL_HANDLE_STMT, h);
    }
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
};

StatementObserver& statement_observer() {
  static StatementObserver observer;
  return observer;
}

void sending(const Connection& conn, const QString& sql) {
  if (statement_observer()) statement_observer()(conn, sql);
}

// The server's answer to the last statement, a rollback, holds warning 1196
// ("Some non-transactional changed tables couldn't be rolled back"). A link
// lost meanwhile counts as such a warning: nothing says the changes went.
bool rollback_warned(SQLHDBC dbc) {
  constexpr SQLINTEGER kNotRolledBack = 1196;
  try {
    Statement st(dbc);
    std::u16string show = u"SHOW WARNINGS";
    if (!SQL_SUCCEEDED(SQLExecDirectW(st.h, reinterpret_cast<SQLWCHAR*>(show.data()), SQL_NTS))) return true;
    SQLINTEGER code = 0;
    SQLLEN ind = 0;
    SQLBindCol(st.h, 2, SQL_C_SLONG, &code, 0, &ind);
    bool warned = false;
    while (SQL_SUCCEEDED(SQLFetch(st.h))) warned = warned || (ind != SQL_NULL_DATA && code == kNotRolledBack);
    return warned;
  } catch (const Error&) {
    return true;
  }
}

}  // namespace

void set_statement_observer(StatementObserver observer) { statement_observer() = std::move(observer); }

Error::Error(const QString& message, const QString& sqlstate, int native_error)
    : std::runtime_error(message.toStdString()), message_(message), sqlstate_(sqlstate), native_(native_error) {}

bool Error::connection_lost() const {
  // 08xxx: connection exceptions; 2002, 2003, 2006, 2013: cannot connect,
  // server gone away, lost connection during query; 1927: the connection was
  // killed while its statement ran.
  return sqlstate_.startsWith(u"08") || native_ == 2002 || native_ == 2003 || native_ == 2006 || native_ == 2013 ||
         native_ == 1927 || sqlstate_ == u"HYT00" || sqlstate_ == u"HYT01";
}

double Field::number() const { return null_ ? 0.0 : textnum::numeric_value(text_); }

// ---------------------------------------------------------------- Connection

Connection::Connection() = default;

Connection::~Connection() {
  // Only at the program's end can a connection go with a transaction open.
  renew_pending_ = false;
  rollback();
  close();
}

void Connection::open() {
  close();
  changed_ = false;
  renew_pending_ = false;
  last_rollback_ = Rollback::undone;
  SQLHENV env = shared_env();
  if (env == SQL_NULL_HENV) throw Error(QStringLiteral("The ODBC driver manager could not be started."));
  SQLHDBC dbc = SQL_NULL_HDBC;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
    throw diagnostics(SQL_HANDLE_ENV, env, QStringLiteral("Cannot make a database connection object."));
  }
  // A server that does not answer must not freeze the program.
  SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(10), 0);
  SQLSetConnectAttr(dbc, SQL_ATTR_CONNECTION_TIMEOUT, reinterpret_cast<SQLPOINTER>(60), 0);
  SQLWCHAR out[1024];
  SQLSMALLINT out_len = 0;
  const SQLRETURN rc =
      SQLDriverConnectW(dbc, nullptr, wide(connection_string_), SQL_NTS, out, 1024, &out_len, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    Error e = diagnostics(SQL_HANDLE_DBC, dbc, QStringLiteral("Cannot connect to the database."));
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    throw e;
  }
  dbc_ = dbc;
  open_ = true;
  // A server whose default mode is not strict stores 300 in a TINYINT
  // UNSIGNED column as 255 (and a MyISAM table does so even under
  // STRICT_TRANS_TABLES, past a statement's first row): the editor's own
  // session refuses such a value instead. The session's own set-up, not an
  // operator's statement: the statement observer does not see it.
  try {
    Statement st(dbc);
    std::u16string strict = u"SET SESSION sql_mode=CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), 'STRICT_ALL_TABLES')";
    if (!SQL_SUCCEEDED(SQLExecDirectW(st.h, reinterpret_cast<SQLWCHAR*>(strict.data()), SQL_NTS))) {
      throw diagnostics(SQL_HANDLE_STMT, st.h, QStringLiteral("The session's mode could not be set."));
    }
  } catch (const Error&) {
    drop();
    throw;
  }
}

void Connection::close() {
  if (in_transaction_) {
    throw std::logic_error("The database connection cannot be closed while a transaction is open.");
  }
  drop();
}

void Connection::after_failure(const QString& sql) {
  if (!in_transaction_) {
    renew();
    return;
  }
  if (std::this_thread::get_id() != transaction_thread_ && sql.contains(u';')) release_link();
  renew_pending_ = true;
}

void Connection::renew() {
  const bool was_open = is_open() || renew_pending_;
  drop();
  if (!was_open || connection_string_.isEmpty()) return;
  // What the transaction that just ended left stays told.
  const Rollback outcome = last_rollback_;
  try {
    open();
  } catch (const Error&) {
    // Closed: the next operation connects again.
  }
  last_rollback_ = outcome;
}

bool Connection::link_dead() const {
  // The driver asks the server (a ping, no statement).
  SQLUINTEGER dead = SQL_CD_FALSE;
  const SQLRETURN rc =
      SQLGetConnectAttr(static_cast<SQLHDBC>(dbc_), SQL_ATTR_CONNECTION_DEAD, &dead, SQL_IS_UINTEGER, nullptr);
  return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
}

void Connection::drop() {
  in_transaction_ = false;
  renew_pending_ = false;
  release_link();
}

void Connection::release_link() {
  if (dbc_ == nullptr) return;
  auto dbc = static_cast<SQLHDBC>(dbc_);
  if (open_) SQLDisconnect(dbc);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc);
  dbc_ = nullptr;
  open_ = false;
}

long long Connection::execute(const QString& sql) {
  if (!is_open()) throw Error(QStringLiteral("The database connection is not open."), QStringLiteral("08003"));
  auto dbc = static_cast<SQLHDBC>(dbc_);
  SQLLEN count = -1;
  try {
    Statement st(dbc);
    sending(*this, sql);
    const SQLRETURN rc = SQLExecDirectW(st.h, wide(sql), SQL_NTS);
    if (rc == SQL_NO_DATA) return 0;
    if (!SQL_SUCCEEDED(rc)) {
      // A multi-row statement may stop part-way, and on a table that cannot
      // roll back the rows before the failure stay changed: the rollback
      // asks the server whether it could undo everything.
      changed_ = changed_ || in_transaction_;
      throw diagnostics(SQL_HANDLE_STMT, st.h, QStringLiteral("The statement failed."));
    }
    SQLRowCount(st.h, &count);
  } catch (const Error&) {
    after_failure(sql);
    throw;
  }
  if (count != 0) changed_ = changed_ || in_transaction_;
  return static_cast<long long>(count);
}

void Connection::begin_transaction() {
  last_rollback_ = Rollback::undone;
  if (!is_open()) throw Error(QStringLiteral("The database connection is not open."), QStringLiteral("08003"));
  if (link_dead()) {
    // Once only: a server that cannot be reached now is reported.
    drop();
    open();
  }
  auto dbc = static_cast<SQLHDBC>(dbc_);
  if (!SQL_SUCCEEDED(
          SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0))) {
    Error e = diagnostics(SQL_HANDLE_DBC, dbc, QStringLiteral("Cannot start a transaction."));
    // A dead link is dropped, so that the next operation connects again.
    if (e.connection_lost()) drop();
    throw e;
  }
  in_transaction_ = true;
  transaction_thread_ = std::this_thread::get_id();
  changed_ = false;
  renew_pending_ = false;
}

Rollback Connection::end_transaction(bool do_commit) {
  auto dbc = static_cast<SQLHDBC>(dbc_);
  const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc, do_commit ? SQL_COMMIT : SQL_ROLLBACK);
  Error failure(QString{});
  const bool failed = !SQL_SUCCEEDED(rc);
  if (failed) failure = diagnostics(SQL_HANDLE_DBC, dbc, QStringLiteral("The transaction could not be ended."));
  Rollback outcome = Rollback::undone;
  if (!do_commit && changed_) {
    // Asked before autocommit is set again, while the warnings are the
    // rollback's own.
    if (failed)
      outcome = Rollback::unknown;
    else if (rollback_warned(dbc))
      outcome = Rollback::kept;
  }
  SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
  in_transaction_ = false;
  if (failed && do_commit) {
    // A dead link cannot be used again: drop it so the next operation
    // connects anew instead of failing on it. (Connection::rollback looks
    // for a dead link itself.)
    if (failure.connection_lost()) drop();
    // Whether the changes went in is not known: a rollback asked for now
    // says so.
    throw failure;
  }
  changed_ = false;
  return outcome;
}

void Connection::commit() {
  if (!is_open() || !in_transaction_) throw Error(QStringLiteral("No transaction is open."));
  end_transaction(true);
  if (renew_pending_) renew();
}

Rollback Connection::rollback() {
  if (!is_open() || !in_transaction_) {
    // A commit that failed, or a link closed, after changes were sent.
    last_rollback_ = changed_ ? Rollback::unknown : Rollback::undone;
    in_transaction_ = false;
    changed_ = false;
    if (renew_pending_) renew();
    return last_rollback_;
  }
  const bool changed = changed_;
  last_rollback_ = end_transaction(false);
  // A dead link (the driver may even end a transaction on one without a
  // word) is dropped, so that the next operation connects again; whatever
  // was sent before it died may have stayed in a table that cannot roll back.
  if (dbc_ != nullptr && link_dead()) {
    drop();
    if (changed) last_rollback_ = Rollback::unknown;
  }
  if (renew_pending_) renew();
  return last_rollback_;
}

Transaction::Transaction(Connection& conn) : conn_(conn) { conn_.begin_transaction(); }

Transaction::~Transaction() {
  if (!done_) conn_.rollback();
}

void Transaction::commit() {
  // A commit the server refuses leaves done_ unset: the end of the scope
  // then asks what became of the changes.
  conn_.commit();
  done_ = true;
}

// ----------------------------------------------------------------- ResultSet

namespace {

// The numeric value of a value's UTF-8 text. Numbers are ASCII; a longer or
// other text takes the general way.
double text_number(const char* data, std::size_t length) {
  char16_t ascii[64];
  if (length > 64) return textnum::numeric_value(QString::fromUtf8(data, static_cast<qsizetype>(length)));
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(data[i]);
    if (c >= 0x80) return textnum::numeric_value(QString::fromUtf8(data, static_cast<qsizetype>(length)));
    ascii[i] = c;
  }
  return textnum::numeric_value(QStringView(ascii, static_cast<qsizetype>(length)));
}

}  // namespace

bool RowBlock::is_null(int row, int column) const {
  return columns_[static_cast<std::size_t>(column)].ind[row] == SQL_NULL_DATA;
}

QByteArrayView RowBlock::text(int row, int column) const {
  const Column& c = columns_[static_cast<std::size_t>(column)];
  const SQLLEN ind = c.ind[row];
  if (ind == SQL_NULL_DATA) return {};
  if (c.whole != nullptr) return QByteArrayView(c.whole->data(), static_cast<qsizetype>(c.whole->size()));
  return QByteArrayView(c.data + c.width * static_cast<std::size_t>(row), static_cast<qsizetype>(ind));
}

double RowBlock::number(int row, int column) const {
  if (is_null(row, column)) return 0.0;
  const QByteArrayView value = text(row, column);
  return text_number(value.data(), static_cast<std::size_t>(value.size()));
}

// Keeps every row of a result in the result set's arena.
class ResultSet::Store : public RowReader {
 public:
  explicit Store(ResultSet& rs) : rs_(rs) {}
  void begin(int rows) override {
    rs_.rows_ = 0;
    rs_.arena_.clear();
    rs_.offsets_.clear();
    rs_.nulls_.clear();
    const std::size_t cells = static_cast<std::size_t>(std::max(rows, 0)) * rs_.columns_.size();
    rs_.nulls_.reserve(cells);
    rs_.offsets_.reserve(cells + 1);
    rs_.offsets_.push_back(0);
  }
  void take(const RowBlock& block) override {
    const int columns = static_cast<int>(rs_.columns_.size());
    for (int r = 0; r < block.size(); ++r) {
      for (int c = 0; c < columns; ++c) {
        const bool null = block.is_null(r, c);
        const QByteArrayView value = block.text(r, c);
        rs_.nulls_.push_back(null ? 1 : 0);
        rs_.arena_.insert(rs_.arena_.end(), value.begin(), value.end());
        rs_.offsets_.push_back(static_cast<std::uint32_t>(rs_.arena_.size()));
      }
    }
    rs_.rows_ += block.size();
    if (rs_.arena_.size() > 0xF0000000u) throw Error(QStringLiteral("The result is too large to hold in memory."));
  }

 private:
  ResultSet& rs_;
};

void ResultSet::close() {
  open_ = false;
  rows_ = 0;
  current_ = 0;
  columns_.clear();
  arena_.clear();
  arena_.shrink_to_fit();
  offsets_.clear();
  offsets_.shrink_to_fit();
  nulls_.clear();
  nulls_.shrink_to_fit();
}

bool ResultSet::read_rows(void* statement, std::vector<Binding>& bind, const std::vector<bool>& numeric,
                          std::size_t rowset, RowReader& reader) {
  auto st = static_cast<SQLHSTMT>(statement);
  const auto ncols = static_cast<SQLSMALLINT>(bind.size());
  SQLULEN fetched = 0;
  SQLSetStmtAttr(st, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
  SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowset), 0);
  SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
  RowBlock block;
  block.columns_.resize(bind.size());
  for (SQLSMALLINT c = 0; c < ncols; ++c) {
    Binding& b = bind[static_cast<size_t>(c)];
    b.buffer.assign(static_cast<size_t>(b.chars) * rowset, 0);
    b.ind.assign(rowset, 0);
    const SQLRETURN rc = SQLBindCol(st, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, b.buffer.data(),
                                    static_cast<SQLLEN>(b.chars), b.ind.data());
    if (!SQL_SUCCEEDED(rc)) throw diagnostics(SQL_HANDLE_STMT, st, QStringLiteral("Cannot read the result."));
    block.columns_[static_cast<size_t>(c)] = {b.buffer.data(), b.chars, b.ind.data(), nullptr,
                                              numeric[static_cast<size_t>(c)]};
  }
  // The driver holds the whole result, so it knows the count before the
  // first row is read.
  SQLLEN count = -1;
  SQLRowCount(st, &count);
  if (count < 0 || count > std::numeric_limits<int>::max()) {
    throw Error(QStringLiteral("The driver did not tell the size of the result."));
  }
  reader.begin(static_cast<int>(count));

  for (;;) {
    SQLRETURN rc = SQLFetch(st);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) throw diagnostics(SQL_HANDLE_STMT, st, QStringLiteral("Reading the result failed."));
    for (SQLSMALLINT c = 0; c < ncols; ++c) {
      Binding& b = bind[static_cast<size_t>(c)];
      RowBlock::Column& column = block.columns_[static_cast<size_t>(c)];
      column.whole = nullptr;
      for (SQLULEN r = 0; r < fetched; ++r) {
        const SQLLEN ind = b.ind[r];
        if (ind == SQL_NULL_DATA || (ind != SQL_NO_TOTAL && ind < static_cast<SQLLEN>(b.chars))) continue;
        if (rowset > 1) return false;
        // Longer than the bound buffer: read the whole value.
        b.whole.clear();
        char chunk[8192];
        for (;;) {
          SQLLEN got = 0;
          rc = SQLGetData(st, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, chunk, sizeof(chunk), &got);
          if (rc == SQL_NO_DATA) break;
          if (!SQL_SUCCEEDED(rc))
            throw diagnostics(SQL_HANDLE_STMT, st, QStringLiteral("Reading a long value failed."));
          const SQLLEN max_chars = static_cast<SQLLEN>(sizeof(chunk)) - 1;
          const SQLLEN n = (got == SQL_NO_TOTAL || got > max_chars) ? max_chars : got;
          b.whole.insert(b.whole.end(), chunk, chunk + n);
          if (rc == SQL_SUCCESS) break;
        }
        column.whole = &b.whole;
      }
    }
    block.rows_ = static_cast<int>(fetched);
    reader.take(block);
  }
  return true;
}

void ResultSet::run(const QString& sql, Connection& conn, RowReader& reader) {
  close();
  try {
    run_query(sql, conn, reader);
  } catch (...) {
    close();
    conn.after_failure(sql);
    throw;
  }
}

void ResultSet::run_query(const QString& sql, Connection& conn, RowReader& reader) {
  if (!conn.is_open()) throw Error(QStringLiteral("The database connection is not open."), QStringLiteral("08003"));
  auto dbc = static_cast<SQLHDBC>(conn.native_handle());
  Statement st(dbc);
  // A static cursor lets a long value of any row of a block be read whole.
  SQLSetStmtAttr(st.h, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
  sending(conn, sql);
  SQLRETURN rc = SQLExecDirectW(st.h, wide(sql), SQL_NTS);
  if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
    throw diagnostics(SQL_HANDLE_STMT, st.h, QStringLiteral("The query failed."));
  }
  SQLSMALLINT ncols = 0;
  SQLNumResultCols(st.h, &ncols);

  std::vector<Binding> bind(static_cast<size_t>(ncols));
  SQLLEN row_bytes = 0;
  for (SQLSMALLINT c = 0; c < ncols; ++c) {
    SQLWCHAR name[256] = {};
    SQLSMALLINT name_len = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    SQLDescribeColW(st.h, static_cast<SQLUSMALLINT>(c + 1), name, 256, &name_len, &type, &size, &digits, &nullable);
    Column col;
    col.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(name), std::min<int>(name_len, 255));
    col.numeric = numeric_type(type);
    columns_.push_back(col);
    bind[static_cast<size_t>(c)].chars = static_cast<std::size_t>(bound_chars(type, size));
    row_bytes += static_cast<SQLLEN>(bind[static_cast<size_t>(c)].chars) + static_cast<SQLLEN>(sizeof(SQLLEN));
  }

  if (ncols > 0) {
    // About 1 MB of buffers, between 16 and 4096 rows at a time. A value
    // longer than its buffer is read whole with SQLGetData, which the driver
    // only serves for the first row of a block: when one turns up, the query
    // runs again one row at a time.
    const SQLULEN block = static_cast<SQLULEN>(std::clamp<SQLLEN>(1048576 / std::max<SQLLEN>(row_bytes, 1), 16, 4096));
    std::vector<bool> numeric;
    for (const Column& col : columns_) numeric.push_back(col.numeric);
    if (!read_rows(st.h, bind, numeric, block, reader)) {
      SQLFreeStmt(st.h, SQL_CLOSE);
      rc = SQLExecDirectW(st.h, wide(sql), SQL_NTS);
      if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        throw diagnostics(SQL_HANDLE_STMT, st.h, QStringLiteral("The query failed."));
      }
      read_rows(st.h, bind, numeric, 1, reader);
    }
  } else {
    reader.begin(0);
  }
}

void ResultSet::open(const QString& sql, Connection& conn) {
  Store store(*this);
  run(sql, conn, store);
  if (offsets_.empty()) offsets_.push_back(0);
  open_ = true;
  current_ = 0;
}

void ResultSet::read(const QString& sql, Connection& conn, RowReader& reader) {
  run(sql, conn, reader);
  close();
}

void ResultSet::read_only(Connection& conn, const std::function<void()>& query) {
  close();
  if (conn.in_transaction()) throw Error(QStringLiteral("A transaction is still open on the connection."));
  // Never committed: it ends with its scope, whatever way that is left.
  Transaction transaction(conn);
  conn.execute(QStringLiteral("START TRANSACTION READ ONLY"));
  query();
}

void ResultSet::move_next() {
  if (current_ < rows_) ++current_;
}

QString ResultSet::field_name(int index) const {
  if (index < 0 || index >= field_count()) return {};
  return columns_[static_cast<size_t>(index)].name;
}

int ResultSet::column_index(QStringView name) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (QStringView(columns_[i].name).compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  }
  return -1;
}

Field ResultSet::value(int row, int column) const {
  if (!open_) throw Error(QStringLiteral("The result set is not open."));
  if (column < 0 || column >= field_count()) {
    throw Error(QStringLiteral("The result has no field %1.").arg(column));
  }
  if (row < 0 || row >= rows_) throw Error(QStringLiteral("There is no current row."));
  const size_t cell = static_cast<size_t>(row) * columns_.size() + static_cast<size_t>(column);
  const Column& col = columns_[static_cast<size_t>(column)];
  if (nulls_[cell]) return Field(true, col.numeric, QString());
  const std::uint32_t begin = offsets_[cell];
  const std::uint32_t end = offsets_[cell + 1];
  return Field(false, col.numeric, QString::fromUtf8(arena_.data() + begin, static_cast<qsizetype>(end - begin)));
}

Field ResultSet::field(int index) const { return value(current_, index); }

double ResultSet::number(int index) const {
  if (!open_ || index < 0 || index >= field_count() || current_ >= rows_) return value(current_, index).number();
  const size_t cell = static_cast<size_t>(current_) * columns_.size() + static_cast<size_t>(index);
  if (nulls_[cell]) return 0.0;
  const std::uint32_t begin = offsets_[cell];
  return text_number(arena_.data() + begin, offsets_[cell + 1] - begin);
}

Field ResultSet::field(QStringView name) const {
  const int index = column_index(name);
  if (index < 0) throw Error(QStringLiteral("The result has no field named %1.").arg(name.toString()));
  return value(current_, index);
}

}  // namespace db
