#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/DesignLayout.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QListView>
#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QItemSelectionModel;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStringListModel;

namespace db {
class Recordset;
}

namespace rt {
class Value;
}

namespace tarvo {

// The usage log rows on show: seven display texts per row and the key of
// the record each row stands for, so that a row leads back to its record
// whatever the filter and whatever was deleted around it.
//
// A log of years repeats the same few hundred texts in each column, so a
// row holds only the places of its texts in the column's list of texts:
// filling a hundred thousand rows copies no string.
class UsageRows : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 7;
    struct Row {
        qint64 key = 0;
        std::array<quint32, kColumns> text{};
    };

    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    const Row &row(int i) const { return m_rows[size_t(i)]; }
    const QString &text(int row, int column) const
    {
        return m_texts[size_t(column)][m_rows[size_t(row)].text[size_t(column)]];
    }
    // Adds a text to the column's list and gives its place; the list is
    // kept from one filling to the next, as are the places given out.
    quint32 addText(int column, const QString &text);
    // Filling is done between the two calls; the views look at the rows
    // only once, at the end.
    void beginFill();
    void reserve(size_t rows) { m_rows.reserve(rows); }
    void append(const Row &row) { m_rows.push_back(row); }
    void endFill();
    // Removes the rows whose flags are set, in one pass.
    void removeMarked(const std::vector<bool> &marked);

private:
    std::vector<Row> m_rows;
    std::array<std::vector<QString>, kColumns> m_texts;
    bool m_filling = false;
};

// One of the seven column lists: it reports the user's mouse and key
// releases and double clicks after it has acted on them itself.
class ColumnList : public QListView {
    Q_OBJECT
public:
    using QListView::QListView;

Q_SIGNALS:
    void released(int button);
    void keyReleased(int key);
    void doubleClickedAnywhere();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

// The usage log viewer: the log in seven parallel columns, narrowed by day,
// month, year and connection, with a running cost total; rows selected in
// the columns make up a report that can be read, trimmed and printed.
class Form4 : public ChildWindow {
    Q_OBJECT
public:
    explicit Form4(Form1 &main);
    ~Form4() override;

    // --- loading and filters
    void load_list();
    void load(const QString &day, const QString &month, const QString &year, const QString &connection);
    void All_Click();
    void filter_Click();   // any of the four filter lists clicked or Enter released in it
    void Com_Click(int Index);

    // --- selection and deletion
    void List1_MouseUp(int Index, int Button);
    void List1_KeyUp(int Index, int KeyCode);
    void List1_DblClick(int Index);
    void List2_KeyUp(int KeyCode);

    // --- the report
    QString BuildReportLine(int row) const;
    void Command1_Click();
    void prn_Click();

    int rowCount() const;
    QString cell(int row, int column) const;
    bool isRowSelected(int row) const;
    void setRowSelected(int row, bool selected);
    QStringList reportLines() const;

    static const QString kAllDays;
    static const QString kAllMonths;
    static const QString kAllYears;
    static const QString kAllConnections;

    QComboBox *Cday = nullptr;
    QComboBox *CMonth = nullptr;
    QComboBox *CYear = nullptr;
    QComboBox *Cconnection = nullptr;
    QCheckBox *All = nullptr;
    std::array<QPushButton *, UsageRows::kColumns> Com{};
    std::array<ColumnList *, UsageRows::kColumns> List1{};
    QListView *List2 = nullptr;
    QLineEdit *total = nullptr;
    QFrame *Frame2 = nullptr;
    QProgressBar *PGbar = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *prn = nullptr;
    QPushButton *ok = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void synchronise(int Index);
    void setReport(const QStringList &lines, const QString &countSuffix);
    void showProgress(bool shown);
    // The places of a record's display texts, each made once per distinct
    // value and found again by a key cheaper than the text.
    quint32 datePlace(int year, int month, int day);
    quint32 timePlace(int column, int hour, int minute);
    quint32 textPlace(int column, const rt::Value &value);
    quint32 nullPlace(int column);

    DesignLayout m_layout{1};
    UsageRows *m_rows = nullptr;
    QItemSelectionModel *m_selection = nullptr;
    QStringListModel *m_report = nullptr;
    // The report list's own place while it is enlarged.
    int m_reportTop = 0;
    int m_reportHeight = 0;
    bool m_enterDown = false;
    // Places of display texts already made, by the value they show.
    QHash<qint64, quint32> m_dates;
    std::array<std::vector<qint64>, UsageRows::kColumns> m_times;   // by minute of the day, -1 not yet
    QHash<qint64, quint32> m_costs;
    QHash<qint64, quint32> m_durations;
    std::array<QHash<qint64, quint32>, UsageRows::kColumns> m_amounts;
    std::array<QHash<QString, quint32>, UsageRows::kColumns> m_texts;
    std::array<qint64, UsageRows::kColumns> m_nulls = {-1, -1, -1, -1, -1, -1, -1};
    // Connection names by their stored bytes, with the name upper-cased
    // for the filter: most rows then cost a look-up and no string.
    struct Name {
        quint32 place;
        QString upper;
    };
    struct BytesHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, Name, BytesHash, std::equal_to<>> m_names;
};

} // namespace tarvo
