#pragma once

#include "runtime/Value.h"

#include <QByteArrayView>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

class Recordset;
class StoredRow;
class Transaction;

// The program's database file: one encrypted file, held exclusively from the
// moment it is opened until the object goes away, so a second copy of the
// program is refused at start rather than at its first write. Files are
// opened and written in SQLCipher 3's format whichever SQLCipher is linked,
// so a file moved to a machine with a newer one still opens.
//
// Failures raise rt::RuntimeError with the numbers the program has always
// reported for them:
//   3024 the file is not there, 3045 the file is held by another opener,
//   3031 the password does not open it (or it is not a database at all,
//        an empty file included),
//   3051 the file, or the folder its changes are journalled in, cannot be
//        written,
//   3049 anything else the engine refuses, a key it will not take included.
// A refused file is left byte for byte as it was.
class Database {
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // `connect` is a connect string of the form ";pwd=secret".
    static std::unique_ptr<Database> openExclusive(const QString &path, const QString &connect);

    // A cursor over one table, rows in the order they were added.
    std::unique_ptr<Recordset> openTable(const QString &table);

    sqlite3 *handle() const { return m_db; }
    const QString &path() const { return m_path; }

    // Creates a new, empty encrypted file (for the tool that produces the
    // shipped file and for tests); the program itself never creates one.
    static std::unique_ptr<Database> create(const QString &path, const QString &connect);
    void exec(const QString &sql);   // that tool's schema, and tests

private:
    friend class Recordset;
    friend class Transaction;
    Database(sqlite3 *db, QString path);
    void noteWrite() { ++m_writes; }
    void execOrRaise(const char *sql);

    sqlite3 *m_db = nullptr;
    QString m_path;
    // Bumped before anything may change the file's rows, so a cursor can
    // tell whether the row it read last is still what the file holds.
    quint64 m_writes = 0;
};

// Groups writes so they reach the file together: one commit instead of one
// per row, which is what makes writing many rows at once affordable. Without
// commit() the writes are rolled back when the guard goes away; cursors that
// added or deleted rows inside it no longer match the file then and are to
// be opened again.
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Database &m_db;
    bool m_open = false;
};

// Column kinds, read from the table's declared column types. Values written
// are converted to the column's kind; a value that does not convert raises
// 3421 and leaves the row unchanged.
enum class ColumnKind { Integer, YesNo, Number, Money, Text, DateTime };

// A table cursor: row count, move first/last/next, edit, append, update,
// delete, and columns by ordinal. The current row is read from the file once
// and kept until the cursor moves or anything is written through any cursor
// of the same database, so every user of a shared cursor sees what the others
// wrote.
//
// Errors: 3021 "No current record." when there is no current row, 3020
// "Update or CancelUpdate without AddNew or Edit." when setting a column or
// updating outside an edit, 3421 "Data type conversion error.".
class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    int recordCount() const;
    // Whether the table has no row; unlike recordCount(), without listing
    // every key of a long table.
    bool isEmpty() const;
    bool eof() const;
    bool bof() const;

    void moveFirst();
    void moveLast();
    void moveNext();

    void edit();
    void addNew();
    void update();        // one statement: a row is written whole or not at all
    void cancelUpdate();
    void deleteRow();     // the current row; move before reading again
    // The current row's key, which stays its own while the row lives,
    // whatever is added or deleted around it; and moving back to it.
    // Seeking a key whose row is gone raises 3021.
    qint64 bookmark() const;
    void seek(qint64 bookmark);

    int fieldCount() const { return int(m_columns.size()); }
    ColumnKind columnKind(int ordinal) const;
    QString fieldName(int ordinal) const;
    rt::Value field(int ordinal) const;
    void setField(int ordinal, const rt::Value &value);

    bool editing() const { return m_mode != Mode::None; }

    // Totals of the columns `summed` over the rows whose column `key` lies
    // in [from, to), taken by the engine without moving the cursor. Null
    // cells are left out; no rows total 0. Whole-number columns total as
    // whole numbers, money as money.
    QVector<rt::Value> totalsInRange(int key, const rt::Value &from, const rt::Value &to,
                                     const QVector<int> &summed) const;
    // Keeps an index on the column in the file, so that a range of it is
    // found without reading every row. Adding it changes no row.
    void indexColumn(int ordinal);

    // Every row of the table, in key order, through one statement, each
    // handed to `each` as the file holds it: a whole table read at the
    // engine's pace, where moving the cursor row by row looks every row up
    // by its key. The cursor stays where it is.
    void readRows(const std::function<void(const StoredRow &)> &each) const;

private:
    friend class Database;
    Recordset(Database &db, QString table);

    enum class Mode { None, Edit, AddNew };
    struct Column { QString name; ColumnKind kind; };
    struct Statements;

    void requireCurrent() const;
    void checkOrdinal(int ordinal) const;
    const QVector<rt::Value> &currentRow() const;
    void dropCachedRow() { m_rowValid = false; }

    Database &m_db;
    QString m_table;
    QVector<Column> m_columns;
    // The table's keys are listed only when a move needs them (the next row,
    // a count, a seek, a delete): standing on the first or the last row,
    // reading it, editing and appending take one key lookup each, so opening
    // a long log reads none of it.
    void listKeys() const;
    std::optional<qint64> endKey(bool last) const;
    qint64 currentKey() const;

    mutable QVector<qint64> m_rowids;
    mutable bool m_listed = false;
    // Until the keys are listed: the key of the row the cursor stands on,
    // none when the table was empty.
    std::optional<qint64> m_key;
    mutable int m_pos = -1;         // once listed: -1 before the first row; size() past the last
    bool m_currentDeleted = false;
    Mode m_mode = Mode::None;
    QVector<rt::Value> m_buffer;
    std::unique_ptr<Statements> m_statements;   // prepared once, reused for every row

    mutable QVector<rt::Value> m_row;   // the current row as last read
    mutable quint64 m_rowWrites = 0;    // the database's write count when it was read
    mutable bool m_rowValid = false;
};

// One row of Recordset::readRows, valid only during the call it is handed
// to. Columns are read by ordinal and converted only when asked for.
class StoredRow {
public:
    qint64 key() const;   // as bookmark() gives it
    bool isNull(int ordinal) const;
    // The column as field() gives it.
    rt::Value field(int ordinal) const;
    // The column's stored text as UTF-8 bytes, without making a string.
    QByteArrayView utf8(int ordinal) const;
    // A date-time column's parts when it holds a date-time in the stored
    // form, without building a date; false for anything else (Null, or
    // text that field() hands back as it is).
    struct DateTimeParts { int year, month, day, hour, minute, second; };
    bool dateTimeParts(int ordinal, DateTimeParts &parts) const;

private:
    friend class Recordset;
    StoredRow(sqlite3_stmt *stmt, const QVector<ColumnKind> &kinds) : m_stmt(stmt), m_kinds(kinds) {}
    int at(int ordinal) const;

    sqlite3_stmt *m_stmt;
    const QVector<ColumnKind> &m_kinds;
};

// Conversion of a value to a column's kind (exposed for tests).
rt::Value toColumnKind(ColumnKind kind, const rt::Value &value);

} // namespace db
