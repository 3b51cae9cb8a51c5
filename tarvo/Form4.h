#pragma once

#include "tarvo/ChildWindow.h"
#include "tarvo/DesignLayout.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QListView>
#include <array>
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

namespace tarvo {

// The usage log rows on show: seven display texts per row and the key of
// the record each row stands for, so that a row leads back to its record
// whatever the filter and whatever was deleted around it.
class UsageRows : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 7;
    struct Row {
        qint64 key = 0;
        std::array<QString, kColumns> text;
    };

    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    const Row &row(int i) const { return m_rows[size_t(i)]; }
    // Filling is done between the two calls; the views look at the rows
    // only once, at the end.
    void beginFill();
    void reserve(size_t rows) { m_rows.reserve(rows); }
    void append(Row &&row) { m_rows.push_back(std::move(row)); }
    void endFill();
    // Removes the rows whose flags are set, in one pass.
    void removeMarked(const std::vector<bool> &marked);

private:
    std::vector<Row> m_rows;
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
    UsageRows::Row displayRow(const db::Recordset &track);

    DesignLayout m_layout{1};
    UsageRows *m_rows = nullptr;
    QItemSelectionModel *m_selection = nullptr;
    QStringListModel *m_report = nullptr;
    // The report list's own place while it is enlarged.
    int m_reportTop = 0;
    int m_reportHeight = 0;
    bool m_enterDown = false;
    // Display texts already made, shared by every row that shows them.
    QHash<qint64, QString> m_dates;
    QHash<int, QString> m_times;
    QHash<qint64, QString> m_costs;
    QHash<qint64, QString> m_durations;
    QHash<QString, QString> m_texts;
};

} // namespace tarvo
