#include "platform/database/Database.h"

#include "platform/database/KeyDerivation.h"
#include "runtime/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>

#include <openssl/crypto.h>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace db {

namespace {

// A column's text exactly as it was written. A text that begins with U+FEFF
// (a password's stored form may) keeps it: read as a byte-order mark it
// would be dropped, and the text would come back one character short.
QString storedText(const unsigned char *text, int length)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return utf8(QByteArrayView(reinterpret_cast<const char *>(text), length));
}

// Statement holder: finalises on every path out.
class Statement {
public:
    Statement(sqlite3 *db, const QString &sql)
    {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK)
            rt::raise(rt::err::DatabaseEngine, QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

// One use of a kept statement: whatever happens, it is left reset and
// unbound, so it holds no lock between uses and no value leaks into the next.
class StatementUse {
public:
    explicit StatementUse(const Statement &st) : m_stmt(st.get()) {}
    ~StatementUse()
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;
    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3_stmt *m_stmt;
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

// The 3.x format's key: 64,000 rounds of PBKDF2-HMAC-SHA1 over the
// password and the 16 bytes of salt that begin the file, 32 bytes long.
constexpr int kKdfRounds = 64000;
constexpr int kSaltLength = 16;
constexpr int kKeyLength = 32;

// Keys a connection and pins the file format. SQLCipher 4 changed its
// defaults (page size, key derivation, HMAC) and opens a 3.x file only when
// told to; pinning 3.x settings keeps files written here readable by either
// version. SQLCipher 3 does not know the pragma and, like SQLite with any
// unknown pragma, ignores it: its defaults are that format already.
//
// Given the file's salt, the key is derived here and handed over raw: the
// same key the cipher would derive from the password, in under half the
// time: it was the largest single cost of starting the program. A file that was
// never written has no salt yet; the cipher derives its key itself.
void keyConnection(sqlite3 *db, const QByteArray &password, const QByteArray &salt = {})
{
    // SQLCipher refuses an empty key. Left unkeyed, the encrypted file reads
    // as no database at all, which is refused as any wrong password is.
    if (password.isEmpty())
        return;
    int rc = SQLITE_OK;
    if (salt.size() == kSaltLength) {
        QByteArray derived = pbkdf2HmacSha1(password, salt, kKdfRounds, kKeyLength);
        QByteArray raw = "x'" + derived.toHex() + "'";
        rc = sqlite3_key(db, raw.constData(), int(raw.size()));
        OPENSSL_cleanse(derived.data(), size_t(derived.size()));
        OPENSSL_cleanse(raw.data(), size_t(raw.size()));
    } else {
        rc = sqlite3_key(db, password.constData(), int(password.size()));
    }
    if (rc != SQLITE_OK)
        rt::raise(rt::err::DatabaseEngine, QString::fromUtf8(sqlite3_errmsg(db)));
    if (sqlite3_exec(db, "PRAGMA cipher_compatibility = 3", nullptr, nullptr, nullptr) != SQLITE_OK)
        rt::raise(rt::err::DatabaseEngine, QString::fromUtf8(sqlite3_errmsg(db)));
}

QByteArray saltOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kSaltLength);
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

// Date-times are stored as "yyyy-MM-dd HH:mm:ss" text, read and written as
// plain numbers: going through QDateTime in local time would look the time
// zone up for every value, and a date whose midnight a zone skips would not
// read back at all.
constexpr int kStoredDateTimeLength = 19;

void writeStoredDateTime(const rt::DateTime &d, char (&text)[kStoredDateTimeLength + 1])
{
    int year = 0, month = 0, day = 0;
    d.date().getDate(&year, &month, &day);
    const QTime t = d.time();
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d",
                  year, month, day, t.hour(), t.minute(), t.second());
}

// False for anything but a valid date-time in that form; such text is
// handed back as it is.
bool readStoredParts(const unsigned char *text, int length, StoredRow::DateTimeParts &out)
{
    if (!text || length != kStoredDateTimeLength || text[4] != '-' || text[7] != '-' || text[10] != ' '
        || text[13] != ':' || text[16] != ':')
        return false;
    // Every row of a log is read this way, so the digits are checked where
    // the compiler can see them, and the calendar asked only about the end
    // of a month.
    unsigned bad = 0;
    const auto two = [&](int at) {
        const unsigned high = unsigned(text[at]) - '0', low = unsigned(text[at + 1]) - '0';
        bad |= unsigned(high > 9) | unsigned(low > 9);
        return int(high * 10 + low);
    };
    const int century = two(0);
    const int year = century * 100 + two(2), month = two(5), day = two(8);
    const int hour = two(11), minute = two(14), second = two(17);
    if (bad || hour > 23 || minute > 59 || second > 59)
        return false;
    const bool plainDay = year != 0 && month >= 1 && month <= 12 && day >= 1 && day <= 28;
    if (!plainDay && !QDate::isValid(year, month, day))
        return false;
    out = {year, month, day, hour, minute, second};
    return true;
}

bool readStoredDateTime(const unsigned char *text, int length, rt::DateTime &out)
{
    StoredRow::DateTimeParts p;
    if (!readStoredParts(text, length, p))
        return false;
    out = rt::DateTime::fromParts(p.year, p.month, p.day, p.hour, p.minute, p.second);
    return true;
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
        char text[kStoredDateTimeLength + 1];
        writeStoredDateTime(v.toDate(), text);
        sqlite3_bind_text(stmt, index, text, kStoredDateTimeLength, SQLITE_TRANSIENT);
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
        const unsigned char *text = sqlite3_column_text(stmt, col);
        const int length = sqlite3_column_bytes(stmt, col);
        rt::DateTime d;
        if (readStoredDateTime(text, length, d))
            return rt::Value(d);
        return rt::Value(storedText(text, length));
    }
    case ColumnKind::Text:
        break;
    }
    const unsigned char *text = sqlite3_column_text(stmt, col);
    return rt::Value(storedText(text, sqlite3_column_bytes(stmt, col)));
}

void step(sqlite3 *db, sqlite3_stmt *stmt)
{
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        rt::raise(rc == SQLITE_BUSY ? rt::err::FileInUse : rt::err::DatabaseEngine, QString::fromUtf8(sqlite3_errmsg(db)));
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
        rt::raise(rt::err::Conversion, QStringLiteral("Data type conversion error."));
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
    // A cursor let go after its database still finalises safely: the
    // connection is closed once its last statement is.
    sqlite3_close_v2(m_db);
}

namespace {

QString inUse(const QString &path)
{
    return QStringLiteral("Could not use '%1'; file already in use.").arg(path);
}

// Proves that a change could be saved: the journal a change needs goes
// beside the file, so a folder that cannot be written would otherwise be
// found only at the first save, with the program already running. Called
// inside the exclusive transaction; what it changes is rolled back with it.
void requireWritableFolder(sqlite3 *raw, const QString &path)
{
    qint64 version = 0;
    {
        Statement read(raw, QStringLiteral("PRAGMA user_version"));
        step(raw, read.get());
        version = sqlite3_column_int64(read.get(), 0);
    }
    const QByteArray rewrite = "PRAGMA user_version = " + QByteArray::number(version);
    if (sqlite3_exec(raw, rewrite.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
        return;
    const int code = sqlite3_errcode(raw);
    const QString message = QString::fromUtf8(sqlite3_errmsg(raw));
    sqlite3_exec(raw, "ROLLBACK", nullptr, nullptr, nullptr);
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        rt::raise(rt::err::FileInUse, inUse(path));
    if (code == SQLITE_CANTOPEN || code == SQLITE_READONLY || code == SQLITE_PERM)
        rt::raise(rt::err::NoWriteAccess, QStringLiteral("Could not use '%1'; its folder cannot be written.").arg(path));
    rt::raise(rt::err::DatabaseEngine, message);
}

} // namespace

std::unique_ptr<Database> Database::openExclusive(const QString &path, const QString &connect)
{
    if (!QFileInfo(path).isFile())
        rt::raise(rt::err::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));

    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<Database> db(new Database(raw, path));
    if (rc != SQLITE_OK)
        rt::raise(rt::err::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    // The engine quietly opens a file it may not write for reading only;
    // the program would then start and save nothing.
    if (sqlite3_db_readonly(raw, "main") != 0)
        rt::raise(rt::err::NoWriteAccess, QStringLiteral("Could not use '%1'; the file is read-only.").arg(path));

    keyConnection(raw, passwordOf(connect), saltOf(path));
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
    const qint64 schemaItems = prc == SQLITE_ROW ? sqlite3_column_int64(probe, 0) : 0;
    sqlite3_finalize(probe);
    if (prc == SQLITE_BUSY || prc == SQLITE_LOCKED)
        rt::raise(rt::err::FileInUse, inUse(path));
    // An empty file reads as a database without tables, and taking the
    // write lock would write one into it: a file without tables is refused
    // before anything is written, so a refused file stays as it was.
    if (prc != SQLITE_ROW || schemaItems == 0)
        rt::raise(rt::err::BadPassword, QStringLiteral("Not a valid password, or '%1' is not a Tarvo database.").arg(path));

    // Exclusive locking mode keeps a lock only once it has written; take the
    // write lock now so the next opener is refused from the start.
    if (sqlite3_exec(raw, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
        rt::raise(rt::err::FileInUse, inUse(path));
    requireWritableFolder(raw, path);
    if (sqlite3_exec(raw, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
        rt::raise(rt::err::DatabaseEngine, QString::fromUtf8(sqlite3_errmsg(raw)));
    return db;
}

std::unique_ptr<Database> Database::create(const QString &path, const QString &connect)
{
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<Database> db(new Database(raw, path));
    if (rc != SQLITE_OK)
        rt::raise(rt::err::DatabaseEngine, QString::fromUtf8(sqlite3_errmsg(raw)));
    keyConnection(raw, passwordOf(connect));
    return db;
}

void Database::exec(const QString &sql)
{
    noteWrite();
    execOrRaise(sql.toUtf8().constData());
}

void Database::execOrRaise(const char *sql)
{
    char *msg = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
        const QString text = QString::fromUtf8(msg ? msg : sqlite3_errmsg(m_db));
        sqlite3_free(msg);
        rt::raise(rt::err::DatabaseEngine, text);
    }
}

std::unique_ptr<Recordset> Database::openTable(const QString &table)
{
    return std::unique_ptr<Recordset>(new Recordset(*this, table));
}

// ------------------------------------------------------------- Transaction

Transaction::Transaction(Database &db)
    : m_db(db)
{
    m_db.execOrRaise("BEGIN");
    m_open = true;
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    // Rows the cursors read inside the transaction may be undone now.
    m_db.noteWrite();
    sqlite3_exec(m_db.m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    m_db.execOrRaise("COMMIT");
    m_open = false;
}

// --------------------------------------------------------------- Recordset

struct Recordset::Statements {
    Statement select;
    Statement insert;
    Statement update;
    Statement remove;
};

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
        rt::raise(rt::err::NoSuchTable, QStringLiteral("The Microsoft Jet database engine cannot find the input table or query '%1'.").arg(m_table));

    // On the first row, as a cursor opens.
    m_key = endKey(false);
    m_pos = 0;

    QStringList names, marks, sets;
    for (const Column &c : m_columns) {
        names << quoted(c.name);
        marks << QStringLiteral("?");
        sets << quoted(c.name) + QStringLiteral(" = ?");
    }
    const QString tableName = quoted(m_table);
    const QString columns = names.join(QLatin1String(", "));
    sqlite3 *h = m_db.handle();
    m_statements.reset(new Statements{
        Statement(h, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(columns, tableName)),
        Statement(h, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(tableName, columns, marks.join(QLatin1String(", ")))),
        Statement(h, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(tableName, sets.join(QLatin1String(", ")))),
        Statement(h, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(tableName)),
    });
}

Recordset::~Recordset() = default;

std::optional<qint64> Recordset::endKey(bool last) const
{
    Statement st(m_db.handle(), QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid %2 LIMIT 1")
                                    .arg(quoted(m_table), last ? QLatin1String("DESC") : QLatin1String("ASC")));
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW)
        return sqlite3_column_int64(st.get(), 0);
    if (rc != SQLITE_DONE)
        rt::raise(rt::err::DatabaseEngine, QString::fromUtf8(sqlite3_errmsg(m_db.handle())));
    return std::nullopt;
}

void Recordset::listKeys() const
{
    if (m_listed)
        return;
    Statement rows(m_db.handle(), QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(quoted(m_table)));
    int rc;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW)
        m_rowids.push_back(sqlite3_column_int64(rows.get(), 0));
    if (rc != SQLITE_DONE) {
        m_rowids.clear();
        rt::raise(rt::err::DatabaseEngine, QString::fromUtf8(sqlite3_errmsg(m_db.handle())));
    }
    m_listed = true;
    // The cursor stays on the row it stood on. Another cursor may have
    // deleted that row meanwhile: its key is kept in its place then, as a
    // listing taken earlier would hold it, so that reading it fails and the
    // next move goes on to the row after it.
    m_pos = 0;
    if (m_key) {
        const auto at = std::lower_bound(m_rowids.begin(), m_rowids.end(), *m_key);
        m_pos = int(at - m_rowids.begin());
        if (at == m_rowids.end() || *at != *m_key)
            m_rowids.insert(m_pos, *m_key);
    }
}

qint64 Recordset::currentKey() const
{
    requireCurrent();
    return m_listed ? m_rowids[m_pos] : *m_key;
}

int Recordset::recordCount() const
{
    listKeys();
    return int(m_rowids.size());
}

bool Recordset::isEmpty() const
{
    return m_listed ? m_rowids.isEmpty() : !endKey(false);
}

bool Recordset::eof() const
{
    listKeys();
    return m_pos >= m_rowids.size();
}

bool Recordset::bof() const
{
    listKeys();
    return m_pos < 0 || m_rowids.isEmpty();
}

void Recordset::moveFirst()
{
    if (!m_listed)
        m_key = endKey(false);
    if (m_listed ? m_rowids.isEmpty() : !m_key)
        rt::raise(rt::err::NoCurrentRecord, QStringLiteral("No current record."));
    m_pos = 0;
    m_currentDeleted = false;
    m_mode = Mode::None;
    dropCachedRow();
}

void Recordset::moveLast()
{
    if (!m_listed)
        m_key = endKey(true);
    if (m_listed ? m_rowids.isEmpty() : !m_key)
        rt::raise(rt::err::NoCurrentRecord, QStringLiteral("No current record."));
    m_pos = int(m_rowids.size()) - 1;
    m_currentDeleted = false;
    m_mode = Mode::None;
    dropCachedRow();
}

void Recordset::moveNext()
{
    listKeys();
    if (eof())
        rt::raise(rt::err::NoCurrentRecord, QStringLiteral("No current record."));
    // After a delete the following row has already moved into place.
    if (m_currentDeleted)
        m_currentDeleted = false;
    else
        ++m_pos;
    m_mode = Mode::None;
    dropCachedRow();
}

void Recordset::requireCurrent() const
{
    if (!m_listed) {
        if (!m_key)
            rt::raise(rt::err::NoCurrentRecord, QStringLiteral("No current record."));
        return;
    }
    if (m_currentDeleted || m_pos < 0 || m_pos >= m_rowids.size())
        rt::raise(rt::err::NoCurrentRecord, QStringLiteral("No current record."));
}

void Recordset::checkOrdinal(int ordinal) const
{
    if (ordinal < 0 || ordinal >= m_columns.size())
        rt::raise(rt::err::NoSuchColumn, QStringLiteral("Item not found in this collection."));
}

ColumnKind Recordset::columnKind(int ordinal) const
{
    checkOrdinal(ordinal);
    return m_columns[ordinal].kind;
}

QString Recordset::fieldName(int ordinal) const
{
    checkOrdinal(ordinal);
    return m_columns[ordinal].name;
}

const QVector<rt::Value> &Recordset::currentRow() const
{
    requireCurrent();
    if (m_rowValid && m_rowWrites == m_db.m_writes)
        return m_row;

    m_rowValid = false;
    StatementUse st(m_statements->select);
    sqlite3_bind_int64(st.get(), 1, currentKey());
    // Not there any more when another cursor has deleted it.
    if (sqlite3_step(st.get()) != SQLITE_ROW)
        rt::raise(rt::err::NoCurrentRecord, QStringLiteral("No current record."));
    m_row.resize(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        m_row[i] = columnValue(st.get(), i, m_columns[i].kind);
    m_rowWrites = m_db.m_writes;
    m_rowValid = true;
    return m_row;
}

rt::Value Recordset::field(int ordinal) const
{
    checkOrdinal(ordinal);
    if (m_mode != Mode::None)
        return m_buffer[ordinal];
    return currentRow()[ordinal];
}

void Recordset::edit()
{
    m_buffer = currentRow();
    m_mode = Mode::Edit;
}

void Recordset::addNew()
{
    m_buffer = QVector<rt::Value>(m_columns.size(), rt::Value::null());
    m_mode = Mode::AddNew;
    dropCachedRow();
}

void Recordset::setField(int ordinal, const rt::Value &value)
{
    checkOrdinal(ordinal);
    if (m_mode == Mode::None)
        rt::raise(rt::err::NotEditing, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    m_buffer[ordinal] = toColumnKind(m_columns[ordinal].kind, value);
}

void Recordset::update()
{
    if (m_mode == Mode::None)
        rt::raise(rt::err::NotEditing, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));

    sqlite3 *h = m_db.handle();
    if (m_mode == Mode::AddNew) {
        m_db.noteWrite();
        dropCachedRow();
        StatementUse st(m_statements->insert);
        for (int i = 0; i < m_columns.size(); ++i)
            bindValue(st.get(), i + 1, m_columns[i].kind, m_buffer[i]);
        step(h, st.get());
        // The row just added becomes the current one.
        const qint64 key = sqlite3_last_insert_rowid(h);
        if (m_listed) {
            m_rowids.push_back(key);
            m_pos = int(m_rowids.size()) - 1;
        } else {
            m_key = key;
        }
        m_currentDeleted = false;
    } else {
        requireCurrent();
        m_db.noteWrite();
        dropCachedRow();
        StatementUse st(m_statements->update);
        for (int i = 0; i < m_columns.size(); ++i)
            bindValue(st.get(), i + 1, m_columns[i].kind, m_buffer[i]);
        sqlite3_bind_int64(st.get(), int(m_columns.size()) + 1, currentKey());
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
    // The rows after it move up one place, which only a listing can show.
    listKeys();
    requireCurrent();
    m_mode = Mode::None;
    m_db.noteWrite();
    dropCachedRow();
    {
        StatementUse st(m_statements->remove);
        sqlite3_bind_int64(st.get(), 1, m_rowids[m_pos]);
        step(m_db.handle(), st.get());
    }
    m_rowids.removeAt(m_pos);
    m_currentDeleted = true;
}

qint64 Recordset::bookmark() const
{
    return currentKey();
}

void Recordset::seek(qint64 bookmark)
{
    listKeys();
    // Keys only grow as rows are added, so the list is in key order.
    const auto at = std::lower_bound(m_rowids.cbegin(), m_rowids.cend(), bookmark);
    if (at == m_rowids.cend() || *at != bookmark)
        rt::raise(rt::err::NoCurrentRecord, QStringLiteral("No current record."));
    m_pos = int(at - m_rowids.cbegin());
    m_currentDeleted = false;
    m_mode = Mode::None;
    dropCachedRow();
}

QVector<rt::Value> Recordset::totalsInRange(int key, const rt::Value &from, const rt::Value &to,
                                           const QVector<int> &summed) const
{
    checkOrdinal(key);
    QStringList sums;
    for (int ordinal : summed) {
        checkOrdinal(ordinal);
        sums << QStringLiteral("sum(%1)").arg(quoted(m_columns[ordinal].name));
    }
    const QString keyName = quoted(m_columns[key].name);
    Statement st(m_db.handle(), QStringLiteral("SELECT %1 FROM %2 WHERE %3 >= ? AND %3 < ?")
                                    .arg(sums.join(QLatin1String(", ")), quoted(m_table), keyName));
    bindValue(st.get(), 1, m_columns[key].kind, toColumnKind(m_columns[key].kind, from));
    bindValue(st.get(), 2, m_columns[key].kind, toColumnKind(m_columns[key].kind, to));
    step(m_db.handle(), st.get());

    QVector<rt::Value> totals;
    for (int i = 0; i < summed.size(); ++i) {
        const bool none = sqlite3_column_type(st.get(), i) == SQLITE_NULL;
        switch (m_columns[summed[i]].kind) {
        case ColumnKind::Integer:
        case ColumnKind::YesNo:
            totals.push_back(rt::Value(none ? qint64(0) : qint64(sqlite3_column_int64(st.get(), i))));
            break;
        case ColumnKind::Money:
            // Each amount is kept to four decimals, so their sum is too:
            // rounding there drops only the binary noise of the addition.
            totals.push_back(rt::Value(rt::Currency::fromDouble(none ? 0.0 : sqlite3_column_double(st.get(), i))));
            break;
        default:
            totals.push_back(rt::Value(none ? 0.0 : sqlite3_column_double(st.get(), i)));
            break;
        }
    }
    return totals;
}

void Recordset::readRows(const std::function<void(const StoredRow &)> &each) const
{
    QStringList names;
    QVector<ColumnKind> kinds;
    for (const Column &c : m_columns) {
        names << quoted(c.name);
        kinds << c.kind;
    }
    Statement st(m_db.handle(), QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid")
                                    .arg(names.join(QLatin1String(", ")), quoted(m_table)));
    const StoredRow row(st.get(), kinds);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
        each(row);
    if (rc != SQLITE_DONE)
        rt::raise(rc == SQLITE_BUSY ? rt::err::FileInUse : rt::err::DatabaseEngine,
                  QString::fromUtf8(sqlite3_errmsg(m_db.handle())));
}

// ---------------------------------------------------------------- StoredRow

int StoredRow::at(int ordinal) const
{
    if (ordinal < 0 || ordinal >= m_kinds.size())
        rt::raise(rt::err::NoSuchColumn, QStringLiteral("Item not found in this collection."));
    // The key comes first in the statement.
    return ordinal + 1;
}

qint64 StoredRow::key() const
{
    return sqlite3_column_int64(m_stmt, 0);
}

bool StoredRow::isNull(int ordinal) const
{
    return sqlite3_column_type(m_stmt, at(ordinal)) == SQLITE_NULL;
}

rt::Value StoredRow::field(int ordinal) const
{
    // Checked before the kind is looked up: arguments are evaluated in no
    // set order.
    const int col = at(ordinal);
    return columnValue(m_stmt, col, m_kinds[ordinal]);
}

QByteArrayView StoredRow::utf8(int ordinal) const
{
    const int col = at(ordinal);
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, col));
    return QByteArrayView(text, sqlite3_column_bytes(m_stmt, col));
}

bool StoredRow::dateTimeParts(int ordinal, DateTimeParts &parts) const
{
    const int col = at(ordinal);
    if (m_kinds[ordinal] != ColumnKind::DateTime)
        return false;
    // Null reads as no text at all.
    const unsigned char *text = sqlite3_column_text(m_stmt, col);
    // A year the date rules cannot hold is left to field(), which refuses
    // it as every other reading does.
    return text && readStoredParts(text, sqlite3_column_bytes(m_stmt, col), parts) && parts.year >= 100;
}

void Recordset::indexColumn(int ordinal)
{
    checkOrdinal(ordinal);
    const QString &column = m_columns[ordinal].name;
    m_db.execOrRaise(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                         .arg(quoted(m_table + QLatin1Char('_') + column), quoted(m_table), quoted(column))
                         .toUtf8()
                         .constData());
}

} // namespace db
