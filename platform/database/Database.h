#pragma once

#include "runtime/Value.h"

#include <QString>
#include <QVector>
#include <memory>

struct sqlite3;

namespace db {

class Recordset;

// The program's database file: one encrypted file, held exclusively from the
// moment it is opened until the object goes away, so a second copy of the
// program is refused at start rather than at its first write.
//
// Failures raise rt::RuntimeError with the numbers the program has always
// reported for them:
//   3024 the file is not there, 3045 the file is held by another opener,
//   3031 the password does not open it (or it is not a database at all).
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
    void exec(const QString &sql);   // schema statements of that tool only

private:
    Database(sqlite3 *db, QString path);
    sqlite3 *m_db = nullptr;
    QString m_path;
};

// Column kinds, read from the table's declared column types. Values written
// are converted to the column's kind; a value that does not convert raises
// 3421 and leaves the row unchanged.
enum class ColumnKind { Integer, YesNo, Number, Money, Text, DateTime };

// A table cursor: row count, move first/last/next, edit, append, update,
// delete, and columns by ordinal. Reads go to the file each time, so every
// user of a shared cursor sees what the others wrote.
//
// Errors: 3021 "No current record." when there is no current row, 3020
// "Update or CancelUpdate without AddNew or Edit." when setting a column or
// updating outside an edit, 3421 "Data type conversion error.".
class Recordset {
public:
    int recordCount() const { return int(m_rowids.size()); }
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

    int fieldCount() const { return int(m_columns.size()); }
    ColumnKind columnKind(int ordinal) const;
    rt::Value field(int ordinal) const;
    void setField(int ordinal, const rt::Value &value);

    bool editing() const { return m_mode != Mode::None; }

private:
    friend class Database;
    Recordset(Database &db, QString table);

    enum class Mode { None, Edit, AddNew };
    struct Column { QString name; ColumnKind kind; };

    void requireCurrent() const;
    void checkOrdinal(int ordinal) const;
    QVector<rt::Value> readRow(qint64 rowid) const;

    Database &m_db;
    QString m_table;
    QVector<Column> m_columns;
    QVector<qint64> m_rowids;
    int m_pos = -1;                 // -1 before the first row; size() past the last
    bool m_currentDeleted = false;
    Mode m_mode = Mode::None;
    QVector<rt::Value> m_buffer;
};

// Conversion of a value to a column's kind (exposed for tests).
rt::Value toColumnKind(ColumnKind kind, const rt::Value &value);

} // namespace db
