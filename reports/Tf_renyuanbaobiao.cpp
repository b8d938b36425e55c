#include "reports/Tf_renyuanbaobiao.h"

#include "data/Sums.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "ui/Charts.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"
#include "ui/PageKit.h"
#include "ui/QueryModel.h"

#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
// A member and month with both kinds of records gets two scratch rows; the
// other side of each row keeps its default 0. The month is the date's first
// seven characters, "YYYY-MM". Summed from the records' monthly sums.
const char* const kClear = "delete from s_renls";
QByteArray fillSql(const char* column, const char* cls)
{
    return QStringLiteral("INSERT INTO s_renls ( sdate, sname, %1 ) SELECT s_month, sys_name, sum(s_jine) FROM %2"
                          " WHERE f_class='%3' GROUP BY s_month, sys_name")
        .arg(QLatin1String(column), spanViewSql(true), QLatin1String(cls))
        .toUtf8();
}
// Members in the order they were made, each by month.
const char* const kLinesAll
    = "SELECT sname as 用户,sdate as 月份,sum(s_s) as 收入,sum(s_z) as 支出,sum(s_s)-sum(s_z) as 收支差额 "
      "from s_renls left join s_user on s_user.sys_name=s_renls.sname "
      "group by sname,sdate order by min(s_user.id),sdate";
const char* const kLinesOne
    = "SELECT sname as 用户,sdate as 月份,sum(s_s) as 收入,sum(s_z) as 支出,sum(s_s)-sum(s_z) as 收支差额 "
      "from s_renls left join s_user on s_user.sys_name=s_renls.sname where sname=:name "
      "group by sname,sdate order by min(s_user.id),sdate";
const char* const kMonthsAll
    = "SELECT sdate,sum(s_s) as s_s,sum(s_z) as s_z from s_renls group by sdate order by sdate";
const char* const kMonthsOne
    = "SELECT sdate,sum(s_s) as s_s,sum(s_z) as s_z from s_renls where sname=:name group by sdate order by sdate";
const char* const kMembers = "select sys_name from s_user order by id";
const QString kAllMembers = QStringLiteral("全部用户");
enum Col { ColMember, ColMonth, ColIncome, ColExpense, ColBalance };
}  // namespace

Tf_renyuanbaobiao::Tf_renyuanbaobiao(QWidget* parent) : Page("f_renyuanbaobiao", parent)
{
    m_tabs = PageKit::pageTabs(this, 25);

    m_reportTab = PageKit::addTab(m_tabs, "TabSheet7", QStringLiteral("人员报表"));
    m_reportBar = buildToolbar(m_reportTab, "DateTimePicker1", "DateTimePicker2", "ComboBox1", "Button45",
                               &Tf_renyuanbaobiao::Button45Click);
    m_lines = new QueryModel(this);
    m_lines->setMoneyColumns({QStringLiteral("收入"), QStringLiteral("支出"), QStringLiteral("收支差额")});
    m_grid = grid(m_reportTab, "DBGridEh16", QRect(), m_lines);
    m_grid->setFooterText(ColMember, QStringLiteral("总计："));
    for (int c : {ColIncome, ColExpense, ColBalance})
        m_grid->setFooterSum(c);
    // Fitted to the grid: the member column narrow, the month column wide.
    m_grid->horizontalHeader()->setStretchLastSection(true);
    auto* reportLayout = new QVBoxLayout(m_reportTab);
    reportLayout->setContentsMargins(3, 38, 3, 3);
    reportLayout->addWidget(m_grid);

    m_chartTab = PageKit::addTab(m_tabs, "TabSheet8", QStringLiteral("统计图表"));
    m_chartBar = buildToolbar(m_chartTab, "DateTimePicker3", "DateTimePicker4", "ComboBox2", "Button56",
                              &Tf_renyuanbaobiao::Button56Click);
    m_chart = Charts::makeView(m_chartTab, QStringLiteral("DBChart5"));
    m_chart->setInteractive(false);
    auto* chartLayout = new QVBoxLayout(m_chartTab);
    chartLayout->setContentsMargins(3, 38, 3, 3);
    chartLayout->addWidget(m_chart);

    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_tabs->widget(index) == m_chartTab)
            TabSheet8Show();
        else
            TabSheet7Show();
    });
    FormCreate();
}

Tf_renyuanbaobiao::Toolbar Tf_renyuanbaobiao::buildToolbar(QWidget* tab, const char* fromName, const char* toName,
                                                           const char* listName, const char* buttonName,
                                                           void (Tf_renyuanbaobiao::*refresh)())
{
    Toolbar bar;
    const auto range = PageKit::dateRange(tab, 6, 6, fromName, toName);
    bar.from = range.from;
    bar.to = range.to;
    const int x = 6 + PageKit::kRangeWidth + 10;
    bar.members = new QComboBox(tab);
    bar.members->setObjectName(QString::fromLatin1(listName));
    bar.members->setGeometry(x, 6, 110, 26);
    connect(button(tab, buttonName, QStringLiteral("刷新"), QRect(x + 120, 6, 64, 26)), &QPushButton::clicked, this,
            refresh);
    return bar;
}

void Tf_renyuanbaobiao::FormCreate()
{
    const QDate today = Clock::today();
    for (Toolbar* bar : {&m_reportBar, &m_chartBar}) {
        bar->from->setDate(QDate(today.year(), 1, 1));
        bar->to->setDate(today);
        DbError error;
        if (!PageKit::fillNames(bar->members, kAllMembers, QString::fromUtf8(kMembers), {}, &error)) {
            Msg::dbError(this, error);
            return;
        }
    }
    // The report tab is the one shown first.
    TabSheet7Show();
}

void Tf_renyuanbaobiao::TabSheet7Show() { Button45Click(); }

void Tf_renyuanbaobiao::TabSheet8Show() { Button56Click(); }

QString Tf_renyuanbaobiao::chosenMember(const Toolbar& bar)
{
    return bar.members->currentIndex() > 0 ? bar.members->currentText() : QString();
}

bool Tf_renyuanbaobiao::refill(const Toolbar& bar)
{
    const QDate from = bar.from->date(), to = bar.to->date();
    DbError error;
    const Binds span = spanBinds(from, to);
    const QByteArray income = fillSql("s_s", "S"), expense = fillSql("s_z", "Z");
    if (runSteps(Database::shared(), {{kClear}, {income.constData(), span}, {expense.constData(), span}}, &error))
        return true;
    Msg::dbError(this, error);
    return false;
}

void Tf_renyuanbaobiao::Button45Click()
{
    if (!refill(m_reportBar))
        return;
    const QString member = chosenMember(m_reportBar);
    DbError error;
    const bool ok = member.isNull() ? m_lines->tryQuery(QString::fromUtf8(kLinesAll), {}, &error)
                                    : m_lines->tryQuery(QString::fromUtf8(kLinesOne), {{":name", member}}, &error);
    // The difference takes what is left of the width.
    m_grid->setColumnWidths({96, 150, 160, 160});
    if (!ok)
        Msg::dbError(this, error);
}

void Tf_renyuanbaobiao::Button56Click()
{
    if (!refill(m_chartBar))
        return;
    const QString member = chosenMember(m_chartBar);
    Query q(QString::fromUtf8(member.isNull() ? kMonthsAll : kMonthsOne));
    if (!member.isNull())
        q.bind(":name", member);
    QStringList months;
    QList<Money> income, expense;
    while (q.next()) {
        months << q.text(0);
        income << Money::fromRaw(q.integer(1));
        expense << Money::fromRaw(q.integer(2));
    }
    // A failed read leaves the last chart.
    if (!readOk(q))
        return;
    const Charts::Periods bars = Charts::monthsOrYears(months, {income, expense});
    Charts::setGroupedBars(m_chart, bars.labels,
                           {{QStringLiteral("收入"), Charts::toDoubles(bars.values[0]), QColor(0, 160, 0)},
                            {QStringLiteral("支出"), Charts::toDoubles(bars.values[1]), QColor(220, 0, 0)}});
}
