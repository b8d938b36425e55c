#include "reports/Tf_fenleibaobiao.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/Sums.h"
#include "ui/Charts.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"
#include "ui/PageKit.h"
#include "ui/QueryModel.h"
#include "ui/Theme.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
// Largest amount first; equal amounts in the order the categories were
// made. Summed from the records' monthly sums over the range.
QString topTotals()
{
    return QStringLiteral("SELECT dfenlei AS 项目,Sum(s_jine) AS 金额 FROM %1 WHERE f_class=:sorz"
                          " GROUP BY dfenlei ORDER BY Sum(s_jine) DESC, min(f_id)")
        .arg(spanViewSql());
}
QString subTotals()
{
    return QStringLiteral("SELECT xfenlei AS 项目,Sum(s_jine) AS 金额 FROM %1 WHERE dfenlei=:dfl"
                          " GROUP BY xfenlei ORDER BY Sum(s_jine) DESC, min(xid)")
        .arg(spanViewSql());
}
// One row per month with records, oldest first; the month is the date's
// first seven characters, "yyyy-mm".
QString monthsOf(bool sub)
{
    return QStringLiteral("select s_month, sum(s_jine) as YYY from %1 where %2=:name group by s_month order by s_month")
        .arg(spanViewSql(true), QLatin1String(sub ? "xfenlei" : "dfenlei"));
}
const char* const kTopCategories = "Select f_name from s_fenlei where f_id=0 and f_class=:c order by id";
const char* const kSubCategories
    = "Select f_name from s_fenlei where f_id in (select id from s_fenlei where f_name=:name) order by id";
const QString kTotal = QStringLiteral("总计：");
constexpr int kChartDays = 180;

QRadioButton* radio(QWidget* parent, const char* name, const QString& caption, const QRect& r)
{
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    return b;
}

// A titled group filled by one grid of 项目 and 金额 with its footer.
DataGrid* totalsGrid(QWidget* parent, const QString& title, const char* boxName, const char* gridName,
                     QueryModel* model)
{
    QGroupBox* box = Page::groupBox(parent, title, boxName, QRect());
    DataGrid* g = Page::grid(box, gridName, QRect(), model);
    g->setFitColumns(true);
    g->setFooterText(0, kTotal);
    g->setFooterSum(1);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(g);
    return g;
}
}  // namespace

Tf_fenleibaobiao::Tf_fenleibaobiao(QWidget* parent) : Page("f_fenleibaobiao", parent)
{
    m_tabs = PageKit::pageTabs(this, 26);
    buildReportTab(PageKit::addTab(m_tabs, "TabSheet1", QStringLiteral("分类报表")));
    m_chartTab = PageKit::addTab(m_tabs, "TabSheet2", QStringLiteral("分类图表"));
    buildChartTab(m_chartTab);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_tabs->widget(index) == m_chartTab)
            TabSheet2Show();
    });

    m_timer = PageKit::firstListingTimer(this, &Tf_fenleibaobiao::Timer1Timer);
    FormCreate();
}

void Tf_fenleibaobiao::buildReportTab(QWidget* tab)
{
    const auto range = PageKit::dateRange(tab, 6, 6, "DateTimePicker1", "DateTimePicker2");
    m_from = range.from;
    m_to = range.to;
    int x = 6 + PageKit::kRangeWidth + 14;
    // The class counts only when 查询 is pressed.
    m_income = radio(tab, "RadioButton3", QStringLiteral("收入"), QRect(x, 6, 54, 26));
    m_expense = radio(tab, "RadioButton4", QStringLiteral("支出"), QRect(x + 56, 6, 54, 26));
    m_expense->setChecked(true);
    connect(button(tab, "Button44", QStringLiteral("查询"), QRect(x + 120, 6, 64, 26)), &QPushButton::clicked, this,
            &Tf_fenleibaobiao::Button44Click);

    m_top = new QueryModel(this);
    m_top->setObjectName(QStringLiteral("ADOQuery20"));
    m_top->setMoneyColumns({QStringLiteral("金额")});
    m_sub = new QueryModel(this);
    m_sub->setMoneyColumns({QStringLiteral("金额")});
    auto* layout = new QHBoxLayout;
    m_topGrid = totalsGrid(tab, QStringLiteral("项目分类统计"), "GroupBox1", "DBGridEh14", m_top);
    m_subGrid = totalsGrid(tab, QStringLiteral("项目明细统计"), "GroupBox2", "DBGridEh15", m_sub);
    layout->addWidget(m_topGrid->parentWidget());
    layout->addWidget(m_subGrid->parentWidget());
    auto* outer = new QVBoxLayout(tab);
    outer->setContentsMargins(3, 36, 3, 3);
    outer->addLayout(layout);
    connect(m_topGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tf_fenleibaobiao::ADOQuery20AfterScroll);
}

void Tf_fenleibaobiao::buildChartTab(QWidget* tab)
{
    m_chartIncome = radio(tab, "RadioButton1", QStringLiteral("收入"), QRect(6, 6, 50, 26));
    m_chartExpense = radio(tab, "RadioButton2", QStringLiteral("支出"), QRect(58, 6, 50, 26));
    m_chartExpense->setChecked(true);
    // One call per change of class: only the button that becomes checked reports it.
    for (QRadioButton* b : {m_chartIncome, m_chartExpense})
        connect(b, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                RadioButton1Click();
        });
    m_topList = new QComboBox(tab);
    m_topList->setObjectName(QStringLiteral("ComboBox1"));
    m_topList->setGeometry(112, 6, 100, 26);
    connect(m_topList, &QComboBox::activated, this, &Tf_fenleibaobiao::ComboBox1Select);
    m_subList = new QComboBox(tab);
    m_subList->setObjectName(QStringLiteral("ComboBox2"));
    m_subList->setGeometry(216, 6, 100, 26);
    const auto range = PageKit::dateRange(tab, 324, 6, "DateTimePicker3", "DateTimePicker4");
    m_chartFrom = range.from;
    m_chartTo = range.to;
    connect(button(tab, "Button1", QStringLiteral("查询"), QRect(324 + PageKit::kRangeWidth + 10, 6, 64, 26)),
            &QPushButton::clicked, this, &Tf_fenleibaobiao::Button1Click);

    m_chart = Charts::makeView(tab, QStringLiteral("DBChart4"));
    m_chart->setInteractive(false);
    QFont title = Theme::heiti(15, true);
    m_chart->chart()->setTitleFont(title);
    m_chart->chart()->setTitleBrush(Theme::chestnut);
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(3, 38, 3, 3);
    layout->addWidget(m_chart);
}

void Tf_fenleibaobiao::FormCreate()
{
    m_from->setDate(firstDayOfMonth(Clock::today()));
    m_to->setDate(Clock::today());
    m_timer->start();
}

void Tf_fenleibaobiao::Timer1Timer()
{
    m_timer->stop();
    Button44Click();
}

void Tf_fenleibaobiao::Button44Click()
{
    const QString letter = m_income->isChecked() ? QStringLiteral("S") : QStringLiteral("Z");
    const QDate from = m_from->date(), to = m_to->date();
    DbError error;
    // A failure keeps the last report, and the range its rows detail.
    if (!m_top->tryQuery(topTotals(), spanBinds(from, to) << Binds{{":sorz", letter}}, &error)) {
        Msg::dbError(this, error);
        return;
    }
    m_queryFrom = from;
    m_queryTo = to;
    // The list opens on its first row; without one the sub-category grid is emptied.
    if (m_top->rowCount() > 0)
        m_topGrid->setCurrentIndex(m_top->index(0, 0));
    else
        ADOQuery20AfterScroll();
}

void Tf_fenleibaobiao::ADOQuery20AfterScroll()
{
    const QModelIndex current = m_topGrid->currentIndex();
    // No row: a null name matches no category, the grid keeps its titles.
    const QVariant name = current.isValid() ? m_top->raw(current.row(), 0) : QVariant();
    DbError error;
    if (!m_sub->tryQuery(subTotals(), spanBinds(m_queryFrom, m_queryTo) << Binds{{":dfl", name}}, &error))
        Msg::dbError(this, error);
}

void Tf_fenleibaobiao::TabSheet2Show()
{
    m_chartFrom->setDate(Clock::today().addDays(-kChartDays));
    m_chartTo->setDate(Clock::today());
    // Expense categories whatever the class buttons show; the chart stays until 查询.
    fillTopList(QStringLiteral("Z"));
}

void Tf_fenleibaobiao::RadioButton1Click()
{
    fillTopList(m_chartIncome->isChecked() ? QStringLiteral("S") : QStringLiteral("Z"));
}

bool Tf_fenleibaobiao::fillTopList(const QString& letter)
{
    DbError error;
    if (!PageKit::fillNames(m_topList, QString(), QString::fromUtf8(kTopCategories), {{":c", letter}}, &error)) {
        Msg::dbError(this, error);
        return false;
    }
    return fillSubList();
}

void Tf_fenleibaobiao::ComboBox1Select() { fillSubList(); }

bool Tf_fenleibaobiao::fillSubList()
{
    DbError error;
    const QVariant top = m_topList->currentIndex() >= 0 ? QVariant(m_topList->currentText()) : QVariant();
    if (!PageKit::fillNames(m_subList, QStringLiteral("全部"), QString::fromUtf8(kSubCategories), {{":name", top}},
                            &error)) {
        Msg::dbError(this, error);
        return false;
    }
    return true;
}

void Tf_fenleibaobiao::Button1Click()
{
    QChart* chart = m_chart->chart();
    if (m_topList->currentIndex() < 0) {
        // No category of this class to draw.
        chart->setTitle(QString());
        Charts::clear(m_chart);
        return;
    }
    // "全部" is the first entry, whatever a category may be called.
    const bool sub = m_subList->currentIndex() > 0;
    const QString name = sub ? m_subList->currentText() : m_topList->currentText();
    Query q(monthsOf(sub));
    q.bind(":name", name);
    bindSpan(q, m_chartFrom->date(), m_chartTo->date());
    QStringList months;
    QList<Money> sums;
    while (q.next()) {
        months << q.text(0);
        sums << Money::fromRaw(q.integer(1));
    }
    // A failed read leaves the last chart and its title.
    if (!readOk(q))
        return;
    chart->setTitle(name + QStringLiteral("-月统计分析"));
    Charts::BarOptions o;
    o.brush = QBrush(QColor(220, 0, 0));
    o.border = QColor(160, 0, 0);
    o.barWidth = 0.6;
    o.valueLabels = true;
    const Charts::Periods bars = Charts::monthsOrYears(months, {sums});
    Charts::setBars(m_chart, bars.labels, Charts::toDoubles(bars.values[0]), o);
}
