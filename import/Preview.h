#pragma once
// The preview of a statement before it is imported: each line with the
// category it will get, its status (新, 新（拆分）, 可能重复, 未成交…,
// 无法读取…) and whether it is imported. An in-memory table model; the status rules are
// plain functions of the lines and what the database already holds.

#include "data/Import.h"
#include "import/Statement.h"

#include <QAbstractTableModel>
#include <QHash>

// A sub-category a line may get.
struct CategoryChoice {
    qint64 id = 0;
    QString name;
    QString cls;  // "S" or "Z"
};

struct PreviewRow {
    StatementLine line;
    // NotCompleted: the wallet says no money moved (交易关闭, 已全额退款…);
    // like an unreadable line it is never imported.
    enum Status { New, Duplicate, NotCompleted, Unreadable } status = New;
    qint64 categoryId = 0;        // 0: none yet
    bool categoryChosen = false;  // by the user: a new default leaves it alone
    bool import = false;
};

// The record class of a line: "S" income, "Z" expense.
QString classLetter(const StatementLine& line);

// Amounts an entry page accepts: 0 < amount <= 99999999.99.
bool amountInRange(const Money& m);

// A row can be ticked for import and given a category.
inline bool importable(const PreviewRow& r) { return r.status == PreviewRow::New || r.status == PreviewRow::Duplicate; }

// The 状态 text: 新, 新（拆分）, 可能重复, followed by a partial refund's
// status in brackets ("新（已退款(￥20.00)）"); "未成交：交易关闭";
// "无法读取：日期无效（第8行）".
QString previewStatus(const PreviewRow& row);

struct PreviewInput {
    QList<StatementLine> lines;
    ImportHistory history;
    QVector<bool> stored;  // per line: a stored record of the account matches
    qint64 defaultExpense = 0;
    qint64 defaultIncome = 0;
    QHash<qint64, QString> classOf;  // category id -> "S"/"Z" (sub-categories only)
};
// Lines in file order. 未成交 when the line's status says the order moved
// no money, whatever else the line holds. 可能重复 when a stored record
// matches, the FITID was imported into the account before, or an earlier
// line of the file is the same in date, amount, class, memo, counterparty and
// FITID; those start unticked. The category is the one chosen for the counterparty before (if
// of the line's class), else the default of the line's class.
// A progress callback that stops it makes it return nothing.
QList<PreviewRow> buildPreview(const PreviewInput& in, const ReadProgress& progress = {});

class PreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Col { ColDate, ColAmount, ColKind, ColMemo, ColCounterparty, ColCategory, ColStatus, ColImport, ColumnCount };

    explicit PreviewModel(QObject* parent = nullptr);

    void setRows(const QList<PreviewRow>& rows);
    const QList<PreviewRow>& rows() const { return m_rows; }
    void setCategories(const QList<CategoryChoice>& categories);
    const QList<CategoryChoice>& categories() const { return m_categories; }
    // New defaults for the lines whose category the user has not chosen.
    void applyDefaults(qint64 expense, qint64 income);
    // 导入 of an importable line flips between 是 and 否.
    void toggleImport(int row);
    QString statusText(int row) const { return previewStatus(m_rows.at(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString categoryName(qint64 id) const;

    QList<PreviewRow> m_rows;
    QList<CategoryChoice> m_categories;
};
