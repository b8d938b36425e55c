#include "reports/Tf_liushuibaobiao.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"
#include "ui/PageKit.h"
#include "ui/QueryModel.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// A day with both kinds of records gets two scratch rows, one per kind.
const char* const kClear = "delete from s_ls";
const char* const kFillIncome = "INSERT INTO s_ls (s_date,s_a) SELECT s_date, sum(s_z_all.s_jine) AS a FROM s_z_all "
                                "WHERE f_class='S' and s_date between :s1 and :s2 GROUP BY s_date;";
const char* const kFillExpense = "INSERT INTO s_ls (s_date,s_b) SELECT s_date, sum(s_z_all.s_jine) AS a FROM s_z_all "
                                 "WHERE f_class='Z' and s_date between :s3 and :s4 GROUP BY s_date;";
// One line per day, newest first; twenty years of days come in chunks as
// the list scrolls.
QueryModel::Chunked days()
{
    QueryModel::Chunked list;
    list.columns = QStringLiteral("s_date as 日期,s_a as 收入 ,s_b as 支出");
    list.source = QStringLiteral("(select s_date,sum(s_a) as s_a,sum(s_b) as s_b from s_ls group by s_date) as d");
    list.filter = QStringLiteral("1=1");
    list.keys = {QStringLiteral("s_date")};
    list.keyColumns = {0};
    list.sums = {{1, QStringLiteral("s_a")}, {2, QStringLiteral("s_b")}};
    list.descending = true;
    return list;
}
// The records of one day in entry order.
const char* const kExpenseRecords
    = "select f_name as 项目,sys_name as 收付款人,s_jine as 金额,z_name as 账户,s_other as 备注 from s_z_all "
      "where s_date=:s_date and f_class='Z' order by id";
const char* const kIncomeRecords
    = "select f_name as 项目,sys_name as 收付款人,s_jine as 金额,z_name as 账户,s_other as 备注 from s_z_all "
      "where s_date=:s_date and f_class='S' order by id";
const QString kTotal = QStringLiteral("总计：");
enum DetailCol { DetItem, DetMember, DetAmount, DetAccount, DetRemark };
}

Tf_liushuibaobiao::Tf_liushuibaobiao(QWidget* parent) : Page("f_liushuibaobiao", parent)
{
    const auto range = PageKit::dateRange(this, 6, 6, "DateTimePicker1", "DateTimePicker2");
    m_from = range.from;
    m_to = range.to;
    connect(button(this, "Button43", QStringLiteral("刷新"), QRect(6 + PageKit::kRangeWidth + 10, 6, 64, 26)),
            &QPushButton::clicked, this, &Tf_liushuibaobiao::Button43Click);

    // The day list first: it is the page's first grid.
    m_days = new QueryModel(this);
    m_days->setObjectName(QStringLiteral("ADOQuery17"));
    m_days->setMoneyColumns({QStringLiteral("收入"), QStringLiteral("支出")});
    m_dayGrid = grid(this, "DBGridEh11", QRect(3, 38, 300, kHeight - 41), m_days);
    m_dayGrid->setFitColumns(true);
    m_dayGrid->setFooterText(0, kTotal);
    m_dayGrid->setFooterSum(1);
    m_dayGrid->setFooterSum(2);
    connect(m_dayGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tf_liushuibaobiao::ADOQuery17AfterScroll);

    const int right = 308, width = kWidth - right - 3, half = (kHeight - 38) / 2;
    m_expense = new QueryModel(this);
    m_expenseGrid = detailGrid(groupBox(this, QStringLiteral("支出明细"), "GroupBox1", QRect(right, 32, width, half)),
                               "DBGridEh12", m_expense);
    m_income = new QueryModel(this);
    m_incomeGrid
        = detailGrid(groupBox(this, QStringLiteral("收入明细"), "GroupBox2", QRect(right, 34 + half, width, half)),
                     "DBGridEh13", m_income);

    m_timer = PageKit::firstListingTimer(this, &Tf_liushuibaobiao::Timer1Timer);
    FormCreate();
}

DataGrid* Tf_liushuibaobiao::detailGrid(QWidget* box, const char* name, QueryModel* model)
{
    DataGrid* g = grid(box, name, QRect(), model);
    g->setFitColumns(true);
    g->setFooterText(DetItem, kTotal);
    g->setFooterSum(DetAmount);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(g);
    return g;
}

void Tf_liushuibaobiao::FormCreate()
{
    m_from->setDate(firstDayOfMonth(Clock::today()));
    m_to->setDate(Clock::today());
    // Filled just after the page shows.
    m_timer->start();
}

void Tf_liushuibaobiao::Timer1Timer()
{
    m_timer->stop();
    Button43Click();
}

void Tf_liushuibaobiao::Button43Click()
{
    const QDate from = m_from->date(), to = m_to->date();
    // Emptied and refilled together: a failure leaves the last report standing.
    DbError failure;
    if (!runSteps(Database::shared(),
                  {{kClear}, {kFillIncome, {{":s1", from}, {":s2", to}}}, {kFillExpense, {{":s3", from}, {":s4", to}}}},
                  &failure)) {
        Msg::dbError(this, failure);
        return;
    }
    DbError error;
    if (!m_days->setChunkedQuery(days(), {}, &error)) {
        Msg::dbError(this, error);
        return;
    }
    // The list opens on its newest day; an empty list empties the details.
    if (m_days->rowCount() > 0)
        m_dayGrid->setCurrentIndex(m_days->index(0, 0));
    else
        loadDetails(QDate());
}

void Tf_liushuibaobiao::ADOQuery17AfterScroll()
{
    const QModelIndex current = m_dayGrid->currentIndex();
    loadDetails(current.isValid() ? m_days->raw(current.row(), 0).toDate() : QDate());
}

void Tf_liushuibaobiao::loadDetails(const QDate& day)
{
    // An invalid day binds NULL, which matches no record: empty grids that keep their titles.
    DbError error;
    if (!m_expense->tryQuery(QString::fromUtf8(kExpenseRecords), {{":s_date", day}}, &error)
        || !m_income->tryQuery(QString::fromUtf8(kIncomeRecords), {{":s_date", day}}, &error))
        Msg::dbError(this, error);
}
