#include "tarvo/Form4.h"

#include "platform/database/Database.h"
#include "runtime/Basics.h"
#include "runtime/Format.h"
#include "runtime/Parse.h"
#include "tarvo/Codes.h"
#include "tarvo/DatabaseFile.h"
#include "tarvo/Form1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QElapsedTimer>
#include <QFrame>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStringListModel>

#include <algorithm>

namespace tarvo {

namespace {

// Procedure numbers of this window in the error log.
enum {
    PAll_Click = 1,
    PFilter_Click = 2,
    PCom_Click = 3,
    PCommand1_Click = 4,
    Pload_list = 5,
    Pload = 6,
    Pprn_Click = 7,
    PList2_KeyUp = 8,
    PList1_DblClick = 9,
    PList1_MouseUp = 10,
    PList1_KeyUp = 11,
};

const QString kNull = QStringLiteral(" - ");
const QString kRecordsSet = QStringLiteral(" Records ");
const QString kRecordsTrimmed = QStringLiteral(" Records");
const QString kZoomIn = QStringLiteral("&Zoom IN Print Information");
const QString kZoomOut = QStringLiteral("&Zoom OUT Print Information");

// The report's items: the column each comes from, in the order they are
// printed, and the marks around its text.
struct ReportItem {
    int column;
    const char *open;
    const char *close;
};
constexpr ReportItem kReportItems[] = {
    {Track::SessionDate, "D[", "] "}, {Track::Connection, "Cn[", "] "}, {Track::StartTime, "S[", "] "},
    {Track::EndTime, "E[", "] "},     {Track::Minutes, "T[", "] "},     {Track::Rate, "R[", "/hr] "},
    {Track::SessionCost, "Co[", "] "},
};

// The number a filter text starts with, 0 when it starts with none.
double leading(const QString &text)
{
    try {
        return rt::leadingNumber(rt::trimBlanks(text));
    } catch (const rt::RuntimeError &) {
        return 0;
    }
}

// The trap of a procedure that shows its own message, or none, rather than
// the log's: the error is recorded without a box of the log's own.
template <class Body, class OnError>
bool trappedQuietly(Form1 &main, int functNo, Body &&body, OnError &&onError) noexcept
{
    try {
        body();
        return true;
    } catch (...) {
        setFromCurrentException(main.Err);
    }
    try {
        onError(main.Err);
    } catch (...) {
    }
    try {
        main.loger(Window::UsageViewer, functNo, true);
    } catch (...) {
        main.Err.clear();
    }
    return false;
}

void noMessage(const PendingError &) {}

// The selected rows' numbers, first to last.
QList<int> selectedRowNumbers(const QItemSelectionModel &selection)
{
    QList<int> rows;
    for (const QModelIndex &index : selection.selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The bar paints itself at once whenever its percentage changes, which at
// a hundred paints costs more than the rows do: while work goes on it is
// let paint only often enough to be seen moving.
class ThrottledProgress {
public:
    explicit ThrottledProgress(QProgressBar *bar)
        : m_bar(bar)
    {
        m_bar->setUpdatesEnabled(false);
        m_sincePaint.start();
    }
    ~ThrottledProgress() { m_bar->setUpdatesEnabled(true); }
    ThrottledProgress(const ThrottledProgress &) = delete;
    ThrottledProgress &operator=(const ThrottledProgress &) = delete;

    void setValue(int percent)
    {
        if (percent == m_bar->value())
            return;
        m_bar->setValue(percent);
        if (m_sincePaint.elapsed() >= 40) {
            m_bar->setUpdatesEnabled(true);
            m_bar->repaint();
            m_bar->setUpdatesEnabled(false);
            m_sincePaint.restart();
        }
    }

private:
    QProgressBar *m_bar;
    QElapsedTimer m_sincePaint;
};

QString twoDigits(qint64 n)
{
    return n >= 0 && n < 10 ? QLatin1Char('0') + QString::number(n) : QString::number(n);
}

} // namespace

const QString Form4::kAllDays = QStringLiteral("All Days");
const QString Form4::kAllMonths = QStringLiteral("All Months");
const QString Form4::kAllYears = QStringLiteral("All Years");
const QString Form4::kAllConnections = QStringLiteral("All Connections");

// ------------------------------------------------------------- UsageRows

int UsageRows::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_filling ? 0 : int(m_rows.size());
}

int UsageRows::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant UsageRows::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || m_filling)
        return {};
    return text(index.row(), index.column());
}

quint32 UsageRows::addText(int column, const QString &text)
{
    std::vector<QString> &texts = m_texts[size_t(column)];
    texts.push_back(text);
    return quint32(texts.size() - 1);
}

void UsageRows::beginFill()
{
    beginResetModel();
    m_filling = true;
    m_rows.clear();
}

void UsageRows::endFill()
{
    if (!m_filling)
        return;
    m_filling = false;
    endResetModel();
}

void UsageRows::removeMarked(const std::vector<bool> &marked)
{
    beginResetModel();
    size_t kept = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (i < marked.size() && marked[i])
            continue;
        if (kept != i)
            m_rows[kept] = std::move(m_rows[i]);
        ++kept;
    }
    m_rows.resize(kept);
    endResetModel();
}

// ------------------------------------------------------------ ColumnList

void ColumnList::mouseReleaseEvent(QMouseEvent *event)
{
    QListView::mouseReleaseEvent(event);
    Q_EMIT released(int(event->button()));
}

void ColumnList::keyReleaseEvent(QKeyEvent *event)
{
    QListView::keyReleaseEvent(event);
    Q_EMIT keyReleased(event->key());
}

void ColumnList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    Q_EMIT doubleClickedAnywhere();
}

// ----------------------------------------------------------------- Form4

Form4::Form4(Form1 &main)
    : ChildWindow(main, Window::UsageViewer)
{
    setWindowTitle(QStringLiteral("Tarvo - Internet Usage Info "));

    auto *criteria = m_layout.place(new QFrame(this), 8, 4, 704, 62);
    criteria->setFrameShape(QFrame::StyledPanel);
    m_layout.place(new QLabel(QStringLiteral("Information Display Criteria"), criteria), 8, 2, 300, 18);
    auto filter = [&](const QString &caption, int left, int width) {
        auto *label = m_layout.place(new QLabel(caption, criteria), left, 22, width, 16);
        auto *box = m_layout.place(new QComboBox(criteria), left, 38, width, 22);
        label->setBuddy(box);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
        // Enter in the box picks a matching entry too; that is acted on
        // when the key is released, once.
        connect(box, QOverload<int>::of(&QComboBox::activated), this, [this] {
            if (!m_enterDown)
                filter_Click();
        });
        return box;
    };
    Cday = filter(QStringLiteral("Day"), 8, 90);
    CMonth = filter(QStringLiteral("Month"), 104, 100);
    CYear = filter(QStringLiteral("Year"), 210, 90);
    Cconnection = filter(QStringLiteral("Connection"), 306, 200);
    All = m_layout.place(new QCheckBox(QStringLiteral("&All Available Information"), criteria), 516, 38, 184, 22);
    connect(All, &QCheckBox::clicked, this, &Form4::All_Click);

    m_rows = new UsageRows(this);
    m_selection = new QItemSelectionModel(m_rows, this);
    static const char *const captions[] = {"Date", "Time", "Cost", "Connection", "Started", "Ended", "Rate"};
    static const int widths[] = {96, 84, 70, 170, 80, 80, 90};
    int left = 8;
    for (int i = 0; i < UsageRows::kColumns; ++i) {
        Com[size_t(i)] = m_layout.place(new QPushButton(QString::fromLatin1(captions[i]), this), left, 72, widths[i], 24);
        Com[size_t(i)]->setToolTip(QStringLiteral("Click To Diable The List Below"));
        connect(Com[size_t(i)], &QPushButton::clicked, this, [this, i] { Com_Click(i); });

        auto *list = m_layout.place(new ColumnList(this), left, 98, widths[i], 220);
        list->setModel(m_rows);
        list->setModelColumn(i);
        list->setSelectionModel(m_selection);
        list->setSelectionMode(QAbstractItemView::MultiSelection);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setUniformItemSizes(true);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setToolTip(QStringLiteral("Double Click To Select All"));
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // One scroll bar, on the last column, moves them all.
        if (i < UsageRows::kColumns - 1)
            list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        connect(list, &ColumnList::released, this, [this, i](int button) { List1_MouseUp(i, button); });
        connect(list, &ColumnList::keyReleased, this, [this, i](int key) { List1_KeyUp(i, key); });
        connect(list, &ColumnList::doubleClickedAnywhere, this, [this, i] { List1_DblClick(i); });
        list->setAccessibleName(Com[size_t(i)]->text());
        List1[size_t(i)] = list;
        left += widths[i];
    }
    // The seven lists are one table: they scroll together.
    for (ColumnList *a : List1)
        for (ColumnList *b : List1)
            if (a != b)
                connect(a->verticalScrollBar(), &QScrollBar::valueChanged, b->verticalScrollBar(), &QScrollBar::setValue);

    auto *totalCaption = m_layout.place(new QLabel(QStringLiteral("Total"), this), 522, 324, 40, 22);
    total = m_layout.place(new QLineEdit(this), 566, 322, 112, 24);
    totalCaption->setBuddy(total);
    total->setReadOnly(true);
    total->setAlignment(Qt::AlignRight);

    auto *reportCaption = m_layout.place(new QLabel(QStringLiteral("Information To Be Printed"), this), 8, 330, 300, 18);
    m_report = new QStringListModel(this);
    List2 = m_layout.place(new QListView(this), 8, 350, 704, 96);
    reportCaption->setBuddy(List2);
    List2->setAccessibleName(reportCaption->text());
    List2->setModel(m_report);
    List2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List2->setUniformItemSizes(true);
    List2->installEventFilter(this);

    Command1 = m_layout.place(new QPushButton(kZoomIn, this), 8, 452, 220, 28);
    prn = m_layout.place(new QPushButton(QStringLiteral("&Print"), this), 236, 452, 90, 28);
    m_layout.place(new QLabel(QStringLiteral("Printing Orientation : Landscape"), this), 334, 458, 240, 18);
    ok = m_layout.place(new QPushButton(QStringLiteral("&Close"), this), 622, 452, 90, 28);
    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(prn, &QPushButton::clicked, this, &Form4::prn_Click);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    Frame2 = m_layout.place(new QFrame(this), 180, 170, 360, 70);
    Frame2->setFrameShape(QFrame::Box);
    Frame2->setAutoFillBackground(true);
    m_layout.place(new QLabel(QStringLiteral("Processing Please Wait...."), Frame2), 12, 8, 336, 20);
    PGbar = m_layout.place(new QProgressBar(Frame2), 12, 34, 336, 22);
    PGbar->setRange(0, 100);
    Frame2->hide();

    // Enter belongs to the filter boxes: no button takes it.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    m_layout.fit();
    setFixedSize(m_layout.toPixels(QSize(720, 488)));
}

Form4::~Form4() = default;

int Form4::rowCount() const
{
    return m_rows->rowCount();
}

QString Form4::cell(int row, int column) const
{
    return m_rows->text(row, column);
}

bool Form4::isRowSelected(int row) const
{
    return m_selection->isRowSelected(row, {});
}

void Form4::setRowSelected(int row, bool selected)
{
    m_selection->select(m_rows->index(row, 0), (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect)
                                                   | QItemSelectionModel::Rows);
}

QStringList Form4::reportLines() const
{
    return m_report->stringList();
}

void Form4::showProgress(bool shown)
{
    m_main.platform().pointer.setBusy(shown);
    Frame2->setVisible(shown);
    if (shown) {
        Frame2->raise();
        PGbar->setValue(0);
    }
}

// ----------------------------------------------------------- the filters

void Form4::load_list()
{
    trappedQuietly(m_main, Pload_list, [&] {
        Cday->addItem(kAllDays);
        CMonth->addItem(kAllMonths);
        CYear->addItem(kAllYears);
        Cconnection->addItem(kAllConnections);
        for (int d = 1; d <= 31; ++d)
            Cday->addItem(QString::number(d));
        for (int m = 1; m <= 12; ++m)
            CMonth->addItem(QString::number(m));
        const int thisYear = m_main.platform().clock.now().date().year();
        for (int y = 2000; y <= thisYear + 10; ++y)
            CYear->addItem(QString::number(y));
        for (int i = 0; i < m_main.Con->count(); ++i)
            Cconnection->addItem(m_main.Con->itemText(i));
        Cday->setEditText(kAllDays);
        CMonth->setEditText(kAllMonths);
        CYear->setEditText(kAllYears);
        Cconnection->setEditText(kAllConnections);
    }, noMessage);
}

void Form4::All_Click()
{
    trap(PAll_Click, [&] {
        const bool all = All->isChecked();
        for (QComboBox *box : {Cday, CMonth, CYear, Cconnection})
            box->setEnabled(!all);
        if (all)
            load(kAllDays, kAllMonths, kAllYears, kAllConnections);
        else
            filter_Click();
    });
}

void Form4::filter_Click()
{
    trap(PFilter_Click, [&] {
        const rt::DateTime now = m_main.platform().clock.now();
        if (CMonth->currentText().isEmpty())
            CMonth->setEditText(rt::format(now, QStringLiteral("mm")));
        if (CYear->currentText().isEmpty())
            CYear->setEditText(rt::format(now, QStringLiteral("yyyy")));
        if (Cday->currentText().isEmpty())
            Cday->setEditText(kAllDays);
        if (Cconnection->currentText().isEmpty())
            Cconnection->setEditText(kAllConnections);
        load(Cday->currentText(), CMonth->currentText(), CYear->currentText(), Cconnection->currentText());
    });
}

void Form4::Com_Click(int Index)
{
    trap(PCom_Click, [&] { List1[size_t(Index)]->setEnabled(!List1[size_t(Index)]->isEnabled()); });
}

// ------------------------------------------------------------ loading

quint32 Form4::nullPlace(int column)
{
    qint64 &place = m_nulls[size_t(column)];
    if (place < 0)
        place = m_rows->addText(column, kNull);
    return quint32(place);
}

quint32 Form4::datePlace(int year, int month, int day)
{
    // Month and day take four digits below the year: one key per date.
    const qint64 key = qint64(year) * 10000 + month * 100 + day;
    const auto found = m_dates.constFind(key);
    if (found != m_dates.cend())
        return *found;
    const QString text = QLocale().monthName(month, QLocale::ShortFormat) + QLatin1Char(' ') + twoDigits(day)
        + QLatin1Char(' ') + QString::number(year).rightJustified(4, QLatin1Char('0'));
    const quint32 place = m_rows->addText(Track::SessionDate, text);
    m_dates.insert(key, place);
    return place;
}

quint32 Form4::timePlace(int column, int hour, int minute)
{
    std::vector<qint64> &places = m_times[size_t(column)];
    if (places.empty())
        places.assign(24 * 60, -1);
    qint64 &place = places[size_t(hour * 60 + minute)];
    if (place < 0) {
        const QLocale locale;
        const int shown = hour % 12 == 0 ? 12 : hour % 12;
        place = m_rows->addText(column, twoDigits(shown) + QLatin1Char(':') + twoDigits(minute) + QLatin1Char(' ')
                                            + (hour < 12 ? locale.amText() : locale.pmText()));
    }
    return quint32(place);
}

// A column shown as its value's own text.
quint32 Form4::textPlace(int column, const rt::Value &value)
{
    if (value.isNull())
        return nullPlace(column);
    // An amount's text follows from the amount, which is cheaper to look
    // up than the text would be to make.
    if (value.type() == rt::VType::Currency) {
        const qint64 scaled = value.toCurrency().scaled;
        const auto found = m_amounts[size_t(column)].constFind(scaled);
        if (found != m_amounts[size_t(column)].cend())
            return *found;
        const quint32 place = m_rows->addText(column, value.toString());
        m_amounts[size_t(column)].insert(scaled, place);
        return place;
    }
    const QString text = value.toString();
    const auto found = m_texts[size_t(column)].constFind(text);
    if (found != m_texts[size_t(column)].cend())
        return *found;
    const quint32 place = m_rows->addText(column, text);
    m_texts[size_t(column)].insert(text, place);
    return place;
}

void Form4::load(const QString &day, const QString &month, const QString &year, const QString &connection)
{
    db::Recordset &track = *m_main.track;
    if (track.isEmpty())
        return;
    // The views see the rows once, when filling ends, however it ends.
    struct Fill {
        UsageRows &rows;
        ~Fill() { rows.endFill(); }
    };
    std::unique_ptr<Fill> fill;
    trappedQuietly(m_main, Pload, [&] {
        showProgress(true);
        m_main.doEvents();
        m_rows->beginFill();
        fill.reset(new Fill{*m_rows});
        total->setText(QStringLiteral("0"));

        track.moveLast();
        track.moveFirst();
        const qint64 count = track.recordCount();

        const bool allDays = day == kAllDays;
        const bool allMonths = month == kAllMonths;
        const bool allYears = year == kAllYears;
        const bool allConnections = connection == kAllConnections;
        const double wantDay = allDays ? 0 : leading(day);
        const double wantMonth = allMonths ? 0 : leading(month);
        const double wantYear = allYears ? 0 : leading(year);
        const QString wantConnection = rt::trimBlanks(connection).toUpper();

        m_rows->reserve(size_t(count));
        // The running total as the box shows it; the box itself is set once
        // the walk is over, or where it stops.
        // The total is shown to two decimals and each record's cost is added
        // to the total as shown, so it is rounded at every step. Costs are
        // kept to four decimals; in those units the rounding is exact.
        qint64 carried = 0;
        bool anyCost = false;
        struct ShowTotal {
            QLineEdit *box;
            const qint64 &carried;
            const bool &anyCost;
            ~ShowTotal()
            {
                box->setText(anyCost ? rt::format(double(carried) / 10000.0, QStringLiteral("####.##"))
                                     : QStringLiteral("0"));
            }
        } showTotal{total, carried, anyCost};
        ThrottledProgress progress(PGbar);

        // The file's rows in one statement, in the cursor's order; dates
        // and times in their stored form are read from their digits, and
        // anything else is converted as the cursor would.
        qint64 visited = 0;
        track.readRows([&](const db::StoredRow &record) {
            ++visited;
            db::StoredRow::DateTimeParts date;
            bool noDate = false;
            if (!record.dateTimeParts(Track::SessionDate, date)) {
                // A record without a date has no day, month or year: each reads as 0.
                const rt::Value value = record.field(Track::SessionDate);
                noDate = value.isNull();
                const QDate d = noDate ? QDate() : value.toDate().date();
                date = d.isValid() ? db::StoredRow::DateTimeParts{d.year(), d.month(), d.day(), 0, 0, 0}
                                   : db::StoredRow::DateTimeParts{0, 0, 0, 0, 0, 0};
            }
            bool match = (allDays || wantDay == date.day) && (allMonths || wantMonth == date.month)
                && (allYears || wantYear == date.year);

            UsageRows::Row row;
            if (match) {
                if (record.isNull(Track::Connection)) {
                    match = allConnections;
                    row.text[Track::Connection] = nullPlace(Track::Connection);
                } else {
                    const QByteArrayView bytes = record.utf8(Track::Connection);
                    const std::string_view key(bytes.data(), size_t(bytes.size()));
                    auto name = m_names.find(key);
                    if (name == m_names.end()) {
                        const QString text = record.field(Track::Connection).toString();
                        name = m_names.emplace(std::string(key), Name{m_rows->addText(Track::Connection, text), text.toUpper()}).first;
                    }
                    match = allConnections || name->second.upper == wantConnection;
                    row.text[Track::Connection] = name->second.place;
                }
            }
            if (match) {
                row.key = record.key();
                row.text[Track::SessionDate] = noDate ? nullPlace(Track::SessionDate)
                                                      : datePlace(date.year, date.month, date.day);

                const rt::Value minutes = record.field(Track::Minutes);
                if (minutes.isNull()) {
                    row.text[Track::Minutes] = nullPlace(Track::Minutes);
                } else {
                    const qint64 m = minutes.toLong();
                    auto found = m_durations.constFind(m);
                    if (found == m_durations.cend())
                        found = m_durations.insert(m, m_rows->addText(Track::Minutes, twoDigits(m / 60) + QStringLiteral(" h ")
                                                                                        + twoDigits(m % 60) + QStringLiteral(" m")));
                    row.text[Track::Minutes] = *found;
                }

                const rt::Value cost = record.field(Track::SessionCost);
                if (cost.isNull()) {
                    row.text[Track::SessionCost] = nullPlace(Track::SessionCost);
                } else {
                    const qint64 scaled = cost.toCurrency().scaled;
                    auto found = m_costs.constFind(scaled);
                    if (found == m_costs.cend())
                        found = m_costs.insert(scaled, m_rows->addText(Track::SessionCost, rt::format(cost, QStringLiteral("0##.#0"))));
                    row.text[Track::SessionCost] = *found;
                    const qint64 sum = carried + scaled;
                    const qint64 half = sum < 0 ? -50 : 50;
                    carried = (sum + half) / 100 * 100;
                    anyCost = true;
                }

                row.text[Track::Rate] = textPlace(Track::Rate, record.field(Track::Rate));

                for (int column : {int(Track::StartTime), int(Track::EndTime)}) {
                    db::StoredRow::DateTimeParts t;
                    if (record.dateTimeParts(column, t)) {
                        row.text[size_t(column)] = timePlace(column, t.hour, t.minute);
                    } else if (record.isNull(column)) {
                        row.text[size_t(column)] = nullPlace(column);
                    } else {
                        const QTime time = record.field(column).toDate().time();
                        row.text[size_t(column)] = timePlace(column, time.hour(), time.minute());
                    }
                }
                m_rows->append(row);
            }
            if (visited < count)
                progress.setValue(int(visited * 100 / count));
        });
        // Past the last record, where walking the records would have left
        // the cursor.
        track.moveLast();
        track.moveNext();
        PGbar->setValue(100);
    }, [&](const PendingError &e) {
        // What was added so far stays listed.
        fill.reset();
        m_main.platform().boxes.msgBox(QString::number(e.number) + e.description);
    });
    fill.reset();
    showProgress(false);
}

// ---------------------------------------------------- selection, deletion

QString Form4::BuildReportLine(int row) const
{
    QString line;
    for (const ReportItem &item : kReportItems) {
        if (!List1[size_t(item.column)]->isEnabled())
            continue;
        line += QLatin1String(item.open) + cell(row, item.column) + QLatin1String(item.close);
    }
    return line;
}

void Form4::setReport(const QStringList &lines, const QString &countSuffix)
{
    m_report->setStringList(lines);
    List2->setToolTip(QString::number(lines.size()) + countSuffix);
}

// Every list shares one selection, kept by whole rows, so a row is selected
// in all seven or in none; what is left is to make the report match it.
void Form4::synchronise(int Index)
{
    Q_UNUSED(Index);
    const QList<int> selected = selectedRowNumbers(*m_selection);
    QStringList lines;
    lines.reserve(selected.size());
    for (int row : selected)
        lines << BuildReportLine(row);
    setReport(lines, kRecordsSet);
}

void Form4::List1_MouseUp(int Index, int Button)
{
    Q_UNUSED(Button);
    trap(PList1_MouseUp, [&] {
        m_main.platform().pointer.setBusy(true);
        synchronise(Index);
        m_main.platform().pointer.setBusy(false);
    });
}

void Form4::List1_DblClick(int Index)
{
    Q_UNUSED(Index);
    trappedQuietly(m_main, PList1_DblClick, [&] {
        showProgress(true);
        m_main.doEvents();
        const int rows = m_rows->rowCount();
        if (rows > 0) {
            m_selection->select(QItemSelection(m_rows->index(0, 0), m_rows->index(rows - 1, UsageRows::kColumns - 1)),
                                QItemSelectionModel::Select);
        }
        // Every row is selected now, so the report is every row's line,
        // once: the release that ends the double click may already have
        // been handled while the events ran above.
        QStringList lines;
        lines.reserve(rows);
        {
            ThrottledProgress progress(PGbar);
            for (int i = 0; i < rows; ++i) {
                lines << BuildReportLine(i);
                progress.setValue(int((qint64(i) + 1) * 100 / rows));
            }
        }
        PGbar->setValue(100);
        m_main.platform().pointer.setBusy(false);
        setReport(lines, kRecordsSet);
        m_main.doEvents();
        Frame2->hide();
    }, [&](const PendingError &e) {
        m_main.platform().boxes.msgBox(QString::number(e.number) + kCrLf + e.description);
        showProgress(false);
    });
}

void Form4::List1_KeyUp(int Index, int KeyCode)
{
    trap(PList1_KeyUp, [&] {
        if (KeyCode != Qt::Key_Delete) {
            synchronise(Index);
            return;
        }
        if (m_rows->rowCount() == 0)
            return;
        const int answer = m_main.platform().boxes.msgBox(QStringLiteral(" Delete Selected Record(s) ?"),
                                                         platform::mb::YesNo | platform::mb::Exclamation,
                                                         QStringLiteral("Tarvo - Confirm Deletion"));
        if (answer != platform::mb::Yes)
            return;
        const QList<int> selected = selectedRowNumbers(*m_selection);
        std::vector<bool> marked(size_t(m_rows->rowCount()), false);
        db::Recordset &track = *m_main.track;
        // Each record goes as soon as it is deleted; a failure part way
        // leaves the rows of the records already gone out of the lists.
        struct Remove {
            Form4 &w;
            std::vector<bool> &marked;
            ~Remove() { w.m_rows->removeMarked(marked); }
        } remove{*this, marked};
        for (int row : selected) {
            track.seek(m_rows->row(row).key);
            track.deleteRow();
            marked[size_t(row)] = true;
        }
        m_selection->clear();
        synchronise(Index);
    });
}

void Form4::List2_KeyUp(int KeyCode)
{
    trap(PList2_KeyUp, [&] {
        if (m_report->rowCount() == 0)
            return;
        if (KeyCode == Qt::Key_Delete) {
            // From the last, so the positions still to go stay valid.
            const QList<int> selected = selectedRowNumbers(*List2->selectionModel());
            for (auto row = selected.crbegin(); row != selected.crend(); ++row)
                m_report->removeRow(*row);
        }
        List2->setToolTip(QString::number(m_report->rowCount()) + kRecordsTrimmed);
    });
}

// ------------------------------------------------------------ the report

void Form4::Command1_Click()
{
    trap(PCommand1_Click, [&] {
        if (m_report->rowCount() == 0) {
            m_main.platform().boxes.msgBox(QStringLiteral(" Nothing Selected To Print"), platform::mb::Exclamation,
                                           QStringLiteral("Tarvo - Warning"));
            return;
        }
        if (List2->y() != 0) {
            m_reportTop = List2->y();
            m_reportHeight = List2->height();
            List2->setGeometry(List2->x(), 0, List2->width(), m_reportTop + m_reportHeight);
            List2->raise();
            Command1->setText(kZoomOut);
        } else {
            List2->setGeometry(List2->x(), m_reportTop, List2->width(), m_reportHeight);
            Command1->setText(kZoomIn);
        }
    });
}

void Form4::prn_Click()
{
    trappedQuietly(m_main, Pprn_Click, [&] {
        if (m_report->rowCount() == 0)
            return;
        platform::Printer &printer = m_main.platform().printer;
        printer.setOrientation(platform::printer::Landscape);
        printer.printLine(kCrLf);
        printer.printLine(QStringLiteral("      INTERNET USAGE INFORMATION PROVIDED BY - TARVO    ")
                          + rt::generalDate(m_main.platform().clock.now()));
        printer.printLine(QStringLiteral("      -----------------------------------------------    ")
                          + QStringLiteral("-------------------"));
        printer.printLine(kCrLf);
        printer.printLine(QStringLiteral("\tThe Information Under May Not To Be Accurate. Intended For Non-Commercial Refrence Only."));
        printer.printLine(kCrLf);
        printer.printLine(QStringLiteral("      Nemonics Used  : D=Date ,Cn=Connection ,S=Started ,E=Ended ,T=Time ,R=Rate ,Co=Cost")
                          + kCrLf);
        for (const QString &line : m_report->stringList())
            printer.printLine(QStringLiteral("      ") + line);
        printer.endDoc();
    }, noMessage);
}

// ------------------------------------------------------------ keys

bool Form4::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            m_enterDown = true;
    }
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == List2) {
            List2_KeyUp(key);
        } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_enterDown
                   && !static_cast<QKeyEvent *>(event)->isAutoRepeat()) {
            // The box passes its keys on to the line inside it, so both may
            // see the release; it is acted on once.
            for (QComboBox *box : {Cday, CMonth, CYear, Cconnection}) {
                if (watched == box || watched == box->lineEdit()) {
                    m_enterDown = false;
                    filter_Click();
                    break;
                }
            }
        }
    }
    return ChildWindow::eventFilter(watched, event);
}

} // namespace tarvo
