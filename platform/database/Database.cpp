#include "platform/database/Database.h"

#include "runtime/Error.h"

#include <QFileInfo>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace db {

namespace {

constexpr int ErrFileNotFound = 3024;
constexpr int ErrBadPassword = 3031;
constexpr int ErrFileInUse = 3045;
constexpr int ErrNoCurrentRecord = 3021;
constexpr int ErrNotEditing = 3020;
constexpr int ErrConversion = 3421;
constexpr int ErrEngine = 3049;   // anything else the engine reports

const char kDateTimeText[] = "yyyy-MM-dd HH:mm:ss";

// Statement holder: finalises on every path out.
class Statement {
public:
    Statement(sqlite3 *db, const QString &sql)
    {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
            rt::raise(ErrEngine, QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

QString quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QByteArray passwordOf(const QString &connect)
{
    // ";pwd=secret" and the like: fields separated by ';', key=value.
    const auto fields = connect.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &f : fields) {
        const int eq = f.indexOf(QLatin1Char('='));
        if (eq > 0 && f.left(eq).trimmed().compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0)
            return f.mid(eq + 1).toUtf8();
    }
    return {};
}

ColumnKind kindOfDeclared(const QString &declared)
{
    const QString t = declared.trimmed().toUpper();
    if (t == QLatin1String("BOOLEAN") || t == QLatin1String("YESNO"))
        return ColumnKind::YesNo;
    if (t == QLatin1String("CURRENCY") || t == QLatin1String("MONEY"))
        return ColumnKind::Money;
    if (t == QLatin1String("DATETIME") || t == QLatin1String("DATE"))
        return ColumnKind::DateTime;
    if (t.contains(QLatin1String("INT")))
        return ColumnKind::Integer;
    if (t == QLatin1String("DOUBLE") || t == QLatin1String("REAL") || t == QLatin1String("FLOAT"))
        return ColumnKind::Number;
    return ColumnKind::Text;
}

void bindValue(sqlite3_stmt *stmt, int index, ColumnKind kind, const rt::Value &v)
{
    if (v.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (kind) {
    case ColumnKind::Integer:
        sqlite3_bind_int64(stmt, index, v.toLong());
        break;
    case ColumnKind::YesNo:
        sqlite3_bind_int(stmt, index, v.toBool() ? 1 : 0);
        break;
    case ColumnKind::Number:
        sqlite3_bind_double(stmt, index, v.toDouble());
        break;
    case ColumnKind::Money:
        sqlite3_bind_double(stmt, index, v.toCurrency().toDouble());
        break;
    case ColumnKind::DateTime: {
        const rt::DateTime d = v.toDate();
        const QByteArray text = (d.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
                                 + d.time().toString(QStringLiteral("HH:mm:ss"))).toUtf8();
        sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        break;
    }
    case ColumnKind::Text: {
        const QByteArray text = v.toString().toUtf8();
        sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

rt::Value columnValue(sqlite3_stmt *stmt, int col, ColumnKind kind)
{
    const int type = sqlite3_column_type(stmt, col);
    if (type == SQLITE_NULL)
        return rt::Value::null();
    switch (kind) {
    case ColumnKind::Integer:
        return rt::Value(qint64(sqlite3_column_int64(stmt, col)));
    case ColumnKind::YesNo:
        return rt::Value(sqlite3_column_int64(stmt, col) != 0);
    case ColumnKind::Number:
        return rt::Value(sqlite3_column_double(stmt, col));
    case ColumnKind::Money:
        return rt::Value(rt::Currency::fromDouble(sqlite3_column_double(stmt, col)));
    case ColumnKind::DateTime: {
        const QString text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, col)));
        const QDateTime dt = QDateTime::fromString(text, QString::fromLatin1(kDateTimeText));
        return dt.isValid() ? rt::Value(rt::DateTime::fromQDateTime(dt)) : rt::Value(text);
    }
    case ColumnKind::Text:
        break;
    }
    return rt::Value(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, col))));
}

void step(sqlite3 *db, sqlite3_stmt *stmt)
{
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        rt::raise(rc == SQLITE_BUSY ? ErrFileInUse : ErrEngine, QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace

rt::Value toColumnKind(ColumnKind kind, const rt::Value &value)
{
    if (value.isNull())
        return value;
    try {
        switch (kind) {
        case ColumnKind::Integer: return rt::Value(value.toLong());
        case ColumnKind::YesNo: return rt::Value(value.toBool());
        case ColumnKind::Number: return rt::Value(value.toDouble());
        case ColumnKind::Money: return rt::Value(value.toCurrency());
        case ColumnKind::DateTime: return rt::Value(value.toDate());
        case ColumnKind::Text: return rt::Value(value.toString());
        }
    } catch (const rt::RuntimeError &) {
        rt::raise(ErrConversion, QStringLiteral("Data type conversion error."));
    }
    return value;
}

// ---------------------------------------------------------------- Database

Database::Database(sqlite3 *db, QString path)
    : m_db(db), m_path(std::move(path))
{
}

Database::~Database()
{
    sqlite3_close(m_db);
}

std::unique_ptr<Database> Database::openExclusive(const QString &path, const QString &connect)
{
    if (!QFileInfo(path).isFile())
        rt::raise(ErrFileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));

    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<Database> db(new Database(raw, path));
    if (rc != SQLITE_OK)
        rt::raise(ErrFileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));

    const QByteArray key = passwordOf(connect);
    sqlite3_key(raw, key.constData(), int(key.size()));
    sqlite3_busy_timeout(raw, 0);

    // The first read proves the key; a holder's lock shows up here as busy.
    {
        Statement check(raw, QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
        step(raw, check.get());
    }
    sqlite3_stmt *probe = nullptr;
    int prc = sqlite3_prepare_v2(raw, "SELECT count(*) FROM sqlite_master", -1, &probe, nullptr);
    if (prc == SQLITE_OK)
        prc = sqlite3_step(probe);
    sqlite3_finalize(probe);
    if (prc == SQLITE_BUSY || prc == SQLITE_LOCKED)
        rt::raise(ErrFileInUse, QStringLiteral("Could not use '%1'; file already in use.").arg(path));
    if (prc != SQLITE_ROW)
        rt::raise(ErrBadPassword, QStringLiteral("Not a valid password, or '%1' is not a Tarvo database.").arg(path));

    // Exclusive locking mode keeps a lock only once it has written; take the
    // write lock now so the next opener is refused from the start.
    if (sqlite3_exec(raw, "BEGIN EXCLUSIVE; COMMIT;", nullptr, nullptr, nullptr) != SQLITE_OK)
        rt::raise(ErrFileInUse, QStringLiteral("Could not use '%1'; file already in use.").arg(path));
    return db;
}

std::unique_ptr<Database> Database::create(const QString &path, const QString &connect)
{
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<Database> db(new Database(raw, path));
    if (rc != SQLITE_OK)
        rt::raise(ErrEngine, QString::fromUtf8(sqlite3_errmsg(raw)));
    const QByteArray key = passwordOf(connect);
    sqlite3_key(raw, key.constData(), int(key.size()));
    return db;
}

void Database::exec(const QString &sql)
{
    char *msg = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &msg) != SQLITE_OK) {
        const QString text = QString::fromUtf8(msg ? msg : sqlite3_errmsg(m_db));
        sqlite3_free(msg);
        rt::raise(ErrEngine, text);
    }
}

std::unique_ptr<Recordset> Database::openTable(const QString &table)
{
    return std::unique_ptr<Recordset>(new Recordset(*this, table));
}

// --------------------------------------------------------------- Recordset

Recordset::Recordset(Database &db, QString table)
    : m_db(db), m_table(std::move(table))
{
    {
        Statement info(m_db.handle(), QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_table)));
        while (sqlite3_step(info.get()) == SQLITE_ROW) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info.get(), 1)));
            const QString type = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info.get(), 2)));
            m_columns.push_back({name, kindOfDeclared(type)});
        }
    }
    if (m_columns.isEmpty())
        rt::raise(3078, QStringLiteral("The Microsoft Jet database engine cannot find the input table or query '%1'.").arg(m_table));

    Statement rows(m_db.handle(), QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(quoted(m_table)));
    int rc;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW)
        m_rowids.push_back(sqlite3_column_int64(rows.get(), 0));
    if (rc != SQLITE_DONE)
        rt::raise(ErrEngine, QString::fromUtf8(sqlite3_errmsg(m_db.handle())));
    m_pos = m_rowids.isEmpty() ? 0 : 0;
}

bool Recordset::eof() const { return m_pos >= m_rowids.size(); }
bool Recordset::bof() const { return m_pos < 0 || m_rowids.isEmpty(); }

void Recordset::moveFirst()
{
    if (m_rowids.isEmpty())
        rt::raise(ErrNoCurrentRecord, QStringLiteral("No current record."));
    m_pos = 0;
    m_currentDeleted = false;
    m_mode = Mode::None;
}

void Recordset::moveLast()
{
    if (m_rowids.isEmpty())
        rt::raise(ErrNoCurrentRecord, QStringLiteral("No current record."));
    m_pos = int(m_rowids.size()) - 1;
    m_currentDeleted = false;
    m_mode = Mode::None;
}

void Recordset::moveNext()
{
    if (eof())
        rt::raise(ErrNoCurrentRecord, QStringLiteral("No current record."));
    // After a delete the following row has already moved into place.
    if (m_currentDeleted)
        m_currentDeleted = false;
    else
        ++m_pos;
    m_mode = Mode::None;
}

void Recordset::requireCurrent() const
{
    if (m_currentDeleted || m_pos < 0 || m_pos >= m_rowids.size())
        rt::raise(ErrNoCurrentRecord, QStringLiteral("No current record."));
}

void Recordset::checkOrdinal(int ordinal) const
{
    if (ordinal < 0 || ordinal >= m_columns.size())
        rt::raise(3265, QStringLiteral("Item not found in this collection."));
}

ColumnKind Recordset::columnKind(int ordinal) const
{
    checkOrdinal(ordinal);
    return m_columns[ordinal].kind;
}

QVector<rt::Value> Recordset::readRow(qint64 rowid) const
{
    QStringList names;
    for (const Column &c : m_columns)
        names << quoted(c.name);
    Statement st(m_db.handle(), QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                    .arg(names.join(QLatin1String(", ")), quoted(m_table)));
    sqlite3_bind_int64(st.get(), 1, rowid);
    if (sqlite3_step(st.get()) != SQLITE_ROW)
        rt::raise(ErrNoCurrentRecord, QStringLiteral("No current record."));
    QVector<rt::Value> row;
    for (int i = 0; i < m_columns.size(); ++i)
        row.push_back(columnValue(st.get(), i, m_columns[i].kind));
    return row;
}

rt::Value Recordset::field(int ordinal) const
{
    checkOrdinal(ordinal);
    if (m_mode != Mode::None)
        return m_buffer[ordinal];
    requireCurrent();
    return readRow(m_rowids[m_pos])[ordinal];
}

void Recordset::edit()
{
    requireCurrent();
    m_buffer = readRow(m_rowids[m_pos]);
    m_mode = Mode::Edit;
}

void Recordset::addNew()
{
    m_buffer = QVector<rt::Value>(m_columns.size(), rt::Value::null());
    m_mode = Mode::AddNew;
}

void Recordset::setField(int ordinal, const rt::Value &value)
{
    checkOrdinal(ordinal);
    if (m_mode == Mode::None)
        rt::raise(ErrNotEditing, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    m_buffer[ordinal] = toColumnKind(m_columns[ordinal].kind, value);
}

void Recordset::update()
{
    if (m_mode == Mode::None)
        rt::raise(ErrNotEditing, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));

    QStringList names, marks;
    for (const Column &c : m_columns) {
        names << quoted(c.name);
        marks << QStringLiteral("?");
    }
    sqlite3 *h = m_db.handle();
    if (m_mode == Mode::AddNew) {
        Statement st(h, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(quoted(m_table), names.join(QLatin1String(", ")), marks.join(QLatin1String(", "))));
        for (int i = 0; i < m_columns.size(); ++i)
            bindValue(st.get(), i + 1, m_columns[i].kind, m_buffer[i]);
        step(h, st.get());
        m_rowids.push_back(sqlite3_last_insert_rowid(h));
        // The row just added becomes the current one.
        m_pos = int(m_rowids.size()) - 1;
        m_currentDeleted = false;
    } else {
        requireCurrent();
        QStringList sets;
        for (const QString &n : names)
            sets << n + QStringLiteral(" = ?");
        Statement st(h, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                            .arg(quoted(m_table), sets.join(QLatin1String(", "))));
        for (int i = 0; i < m_columns.size(); ++i)
            bindValue(st.get(), i + 1, m_columns[i].kind, m_buffer[i]);
        sqlite3_bind_int64(st.get(), int(m_columns.size()) + 1, m_rowids[m_pos]);
        step(h, st.get());
    }
    m_mode = Mode::None;
    m_buffer.clear();
}

void Recordset::cancelUpdate()
{
    m_mode = Mode::None;
    m_buffer.clear();
}

void Recordset::deleteRow()
{
    requireCurrent();
    m_mode = Mode::None;
    Statement st(m_db.handle(), QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_table)));
    sqlite3_bind_int64(st.get(), 1, m_rowids[m_pos]);
    step(m_db.handle(), st.get());
    m_rowids.removeAt(m_pos);
    m_currentDeleted = true;
}

} // namespace db
