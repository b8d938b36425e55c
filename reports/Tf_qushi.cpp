#include "reports/Tf_qushi.h"

#include "data/Clock.h"
#include "reports/Trends.h"
#include "ui/Charts.h"
#include "ui/DataGrid.h"
#include "ui/GridOutput.h"
#include "ui/Msg.h"
#include "ui/PageKit.h"
#include "ui/Roles.h"
#include "ui/Theme.h"
#include "ui/WaitCursor.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>

const QList<int> Tf_qushi::kRanges{12, 24, 60, 120, 0};

namespace {

const QColor kFunds(0x2f, 0x7e, 0xc1), kLent(0x3a, 0x9d, 0x5d), kBorrowed(0xd0, 0x50, 0x40), kNet(0x8a, 0x4b, 0x1f);
const QColor kIncome(0, 160, 0), kLastIncome(170, 215, 170), kExpense(220, 0, 0), kLastExpense(240, 170, 160);

const char* const kTopCategories
    = "select id, f_name, f_class from s_fenlei where f_id = 0 and f_class in ('Z', 'S') order by f_class desc, id";

QStandardItem* cell(const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    item->setData(int(align), Qt::TextAlignmentRole);
    return item;
}

// A money cell: its text as every grid shows money, Money under it for the footer.
QStandardItem* moneyCell(Money m)
{
    QStandardItem* item = cell(m.twoDecimals(), Qt::AlignRight | Qt::AlignVCenter);
    item->setData(QVariant::fromValue(m), Roles::Value);
    return item;
}

QComboBox* combo(QWidget* parent, const char* name, const QRect& r)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(r);
    return c;
}

// Years from the first record's to this year (or the last record's, if later), newest first.
bool fillYears(QComboBox* list, const QDate& today, DbError* error)
{
    QDate first, last;
    if (!recordSpan(Database::shared(), &first, &last, error))
        return false;
    const int from = first.isValid() ? std::min(first.year(), today.year()) : today.year();
    const int to = last.isValid() ? std::max(last.year(), today.year()) : today.year();
    list->clear();
    for (int y = to; y >= from; --y)
        list->addItem(QStringLiteral("%1年").arg(y), y);
    list->setCurrentIndex(list->findData(today.year()));
    return true;
}

}  // namespace

Tf_qushi::Tf_qushi(QWidget* parent) : Page("f_qushi", parent)
{
    m_tabs = PageKit::pageTabs(this, 25);
    buildWorthTab();
    buildYearTab();
    buildSummaryTab();
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1)
            TabSheet2Show();
        else if (index == 2)
            TabSheet3Show();
        else
            TabSheet1Show();
    });
    FormCreate();
}

void Tf_qushi::buildWorthTab()
{
    m_worthTab = PageKit::addTab(m_tabs, "TabSheet1", QStringLiteral("资产趋势"));
    label(m_worthTab, QStringLiteral("范围"), QRect(8, 8, 30, 24));
    m_range = combo(m_worthTab, "ComboBox1", QRect(40, 7, 100, 24));
    for (int months : kRanges)
        m_range->addItem(months == 0    ? QStringLiteral("全部")
                         : months >= 60 ? QStringLiteral("最近%1年").arg(months / 12)
                                        : QStringLiteral("最近%1个月").arg(months),
                         months);
    m_range->setCurrentIndex(1);
    connect(m_range, &QComboBox::activated, this, [this] {
        m_filled[0] = false;
        TabSheet1Show();
    });
    m_worthNow = label(m_worthTab, QString(), QRect(152, 8, 600, 24), "Label1");
    m_worthNow->setTextFormat(Qt::PlainText);
    Theme::setColour(m_worthNow, Theme::chestnut);
    m_worthChart = Charts::makeView(m_worthTab, QStringLiteral("DBChart1"));
    m_worthChart->setInteractive(false);
    m_worthChart->setGeometry(3, 36, kWidth - 18, 390);
    m_worthNote = label(m_worthTab, QString(), QRect(8, 428, 600, 18), "Label2");
    m_worthNote->setTextFormat(Qt::PlainText);
    m_worthNote->setFont(Theme::songti(11));
    Theme::setColour(m_worthNote, Theme::walnut);
}

void Tf_qushi::buildYearTab()
{
    m_yearTab = PageKit::addTab(m_tabs, "TabSheet2", QStringLiteral("同比环比"));
    label(m_yearTab, QStringLiteral("年份"), QRect(8, 8, 30, 24));
    m_years = combo(m_yearTab, "ComboBox2", QRect(40, 7, 84, 24));
    label(m_yearTab, QStringLiteral("类别"), QRect(136, 8, 30, 24));
    m_category = combo(m_yearTab, "ComboBox3", QRect(168, 7, 120, 24));
    m_yearNote = label(m_yearTab, QString(), QRect(300, 8, 300, 24), "Label3");
    Theme::setColour(m_yearNote, QColor(200, 0, 0));
    for (QComboBox* c : {m_years, m_category})
        connect(c, &QComboBox::activated, this, [this] {
            m_filled[1] = false;
            TabSheet2Show();
        });
    m_yearChart = Charts::makeView(m_yearTab, QStringLiteral("DBChart2"));
    m_yearChart->setInteractive(false);
    m_yearChart->setGeometry(3, 34, kWidth - 18, 190);
    m_yearModel = new QStandardItemModel(0, YearColumns, this);
    m_yearModel->setHorizontalHeaderLabels({QStringLiteral("月份"), QStringLiteral("收入"), QStringLiteral("去年收入"),
                                            QStringLiteral("收入同比"), QStringLiteral("收入环比"),
                                            QStringLiteral("支出"), QStringLiteral("去年支出"),
                                            QStringLiteral("支出同比"), QStringLiteral("支出环比")});
    m_yearGrid = grid(m_yearTab, "DBGridEh1", QRect(3, 228, kWidth - 18, 222), m_yearModel);
    m_yearGrid->setRowHeight(18);
    m_yearGrid->setWholeRowSelection(true);
    m_yearGrid->setColumnWidths({58, 92, 92, 70, 70, 92, 92, 70, 70});
    m_yearGrid->setFooterText(ColMonth, QStringLiteral("全年"));
    for (int c : {ColIncome, ColLastIncome, ColExpense, ColLastExpense})
        m_yearGrid->setFooterSum(c);
}

void Tf_qushi::buildSummaryTab()
{
    m_summaryTab = PageKit::addTab(m_tabs, "TabSheet3", QStringLiteral("年度账单"));
    label(m_summaryTab, QStringLiteral("年份"), QRect(8, 8, 30, 24));
    m_summaryYears = combo(m_summaryTab, "ComboBox4", QRect(40, 7, 84, 24));
    connect(m_summaryYears, &QComboBox::activated, this, [this] {
        m_filled[2] = false;
        TabSheet3Show();
    });
    connect(button(m_summaryTab, "Button1", QStringLiteral("打印"), QRect(136, 6, 56, 26)), &QPushButton::clicked, this,
            &Tf_qushi::Button1Click);
    connect(button(m_summaryTab, "Button2", QStringLiteral("导出Excel"), QRect(196, 6, 80, 26)), &QPushButton::clicked,
            this, &Tf_qushi::Button2Click);
    m_summaryModel = new QStandardItemModel(0, 3, this);
    m_summaryGrid = grid(m_summaryTab, "DBGridEh2", QRect(3, 36, kWidth - 18, 414), m_summaryModel);
    m_summaryGrid->setRowHeight(24);
    m_summaryGrid->setWholeRowSelection(true);
}

void Tf_qushi::FormCreate()
{
    const QDate today = Clock::today();
    DbError error;
    if (!fillYears(m_years, today, &error) || !fillYears(m_summaryYears, today, &error)) {
        Msg::dbError(this, error);
        return;
    }
    Query q(QString::fromLatin1(kTopCategories));
    QStringList names{QStringLiteral("全部")}, classes{QString()};
    m_categoryIds.clear();
    while (q.next()) {
        m_categoryIds << q.integer(0);
        names << q.text(1);
        classes << q.text(2);
    }
    if (!readOk(q))
        return;
    m_category->addItems(names);
    // Which columns a category's class fills.
    for (int i = 1; i < names.size(); ++i)
        m_category->setItemData(i, classes[i], Qt::UserRole);
    TabSheet1Show();
}

int Tf_qushi::chosenYear(const QComboBox* years) const
{
    return years->currentIndex() >= 0 ? years->currentData().toInt() : Clock::today().year();
}

void Tf_qushi::TabSheet1Show()
{
    if (m_filled[0])
        return;
    WaitCursor wait;
    const QDate today = Clock::today();
    const int months = m_range->currentData().toInt();
    QDate first = QDate(today.year(), today.month(), 1).addMonths(1 - std::max(months, 1));
    DbError error;
    QDate since, last;
    if (months == 0 && !recordSpan(Database::shared(), &since, &last, &error)) {
        Msg::dbError(this, error);
        return;
    }
    if (months == 0 && since.isValid() && since < first)
        first = since;
    QList<WorthPoint> points;
    QDate undated;
    if (!netWorthSeries(Database::shared(), first, today, today, &points, &error)
        || !undatedRepaymentsBefore(Database::shared(), today, &undated, &error)) {
        Msg::dbError(this, error);
        return;
    }
    QStringList labels;
    QList<double> funds, lent, borrowed, net;
    for (const WorthPoint& p : points) {
        labels << p.monthEnd.toString(QStringLiteral("yyyy-MM"));
        funds << p.funds.toDouble();
        lent << p.lent.toDouble();
        borrowed << p.borrowed.toDouble();
        net << p.net().toDouble();
    }
    Charts::setLines(m_worthChart, labels,
                     {{QStringLiteral("资金"), funds, kFunds},
                      {QStringLiteral("债权"), lent, kLent},
                      {QStringLiteral("债务"), borrowed, kBorrowed},
                      {QStringLiteral("净资产"), net, kNet}});
    if (!points.isEmpty()) {
        const WorthPoint& p = points.last();
        m_worthNow->setText(
            QStringLiteral("今天：资金 %1　债权 %2　债务 %3　净资产 %4")
                .arg(p.funds.yuanGrouped(), p.lent.yuanGrouped(), p.borrowed.yuanGrouped(), p.net().yuanGrouped()));
    }
    m_worthNote->setText(
        undated.isValid() ? QStringLiteral("早于%1的还款按借款日期计").arg(undated.toString(QStringLiteral("yyyy-MM")))
                          : QString());
    m_filled[0] = true;
}

void Tf_qushi::TabSheet2Show()
{
    if (m_filled[1])
        return;
    WaitCursor wait;
    const int year = chosenYear(m_years);
    const int choice = m_category->currentIndex();
    const qint64 top = choice > 0 ? m_categoryIds.value(choice - 1) : 0;
    const QString cls = choice > 0 ? m_category->itemData(choice, Qt::UserRole).toString() : QString();
    MonthlyTotals now, before;
    DbError error;
    if (!monthlyTotals(Database::shared(), year, top, &now, &error)
        || !monthlyTotals(Database::shared(), year - 1, top, &before, &error)) {
        Msg::dbError(this, error);
        return;
    }
    m_yearNote->setText(before.any ? QString() : QStringLiteral("去年无记录"));
    m_yearModel->removeRows(0, m_yearModel->rowCount());
    QStringList months;
    for (int m = 0; m < 12; ++m) {
        months << QStringLiteral("%1月").arg(m + 1);
        // 环比: against the month before; January against last December.
        const Money prevIncome = m ? now.income[m - 1] : before.income[11];
        const Money prevExpense = m ? now.expense[m - 1] : before.expense[11];
        m_yearModel->appendRow({cell(months.last(), Qt::AlignCenter), moneyCell(now.income[m]),
                                moneyCell(before.income[m]),
                                cell(changeText(before.income[m], now.income[m]), Qt::AlignRight | Qt::AlignVCenter),
                                cell(changeText(prevIncome, now.income[m]), Qt::AlignRight | Qt::AlignVCenter),
                                moneyCell(now.expense[m]), moneyCell(before.expense[m]),
                                cell(changeText(before.expense[m], now.expense[m]), Qt::AlignRight | Qt::AlignVCenter),
                                cell(changeText(prevExpense, now.expense[m]), Qt::AlignRight | Qt::AlignVCenter)});
    }
    // A category is of one class: the other's columns say nothing.
    for (int c : {ColIncome, ColLastIncome, ColIncomeYoY, ColIncomeMoM})
        m_yearGrid->setColumnHidden(c, cls == u"Z");
    for (int c : {ColExpense, ColLastExpense, ColExpenseYoY, ColExpenseMoM})
        m_yearGrid->setColumnHidden(c, cls == u"S");
    const QString thisYear = QStringLiteral("%1年").arg(year), lastYear = QStringLiteral("%1年").arg(year - 1);
    QList<Charts::BarSeries> series;
    if (cls != u"Z") {
        series.append({thisYear + QStringLiteral("收入"), QList<double>(), kIncome});
        series.append({lastYear + QStringLiteral("收入"), QList<double>(), kLastIncome});
    }
    if (cls != u"S") {
        series.append({thisYear + QStringLiteral("支出"), QList<double>(), kExpense});
        series.append({lastYear + QStringLiteral("支出"), QList<double>(), kLastExpense});
    }
    for (Charts::BarSeries& s : series) {
        const bool income = s.name.endsWith(QStringLiteral("收入"));
        const bool current = s.name.startsWith(thisYear);
        const MonthlyTotals& t = current ? now : before;
        for (int m = 0; m < 12; ++m)
            s.values << (income ? t.income[m] : t.expense[m]).toDouble();
    }
    Charts::setGroupedBars(m_yearChart, months, series);
    m_filled[1] = true;
}

void Tf_qushi::TabSheet3Show()
{
    if (m_filled[2])
        return;
    WaitCursor wait;
    const int year = chosenYear(m_summaryYears);
    YearSummary summary;
    DbError error;
    if (!yearSummary(Database::shared(), year, &summary, &error)) {
        Msg::dbError(this, error);
        return;
    }
    m_summaryModel->removeRows(0, m_summaryModel->rowCount());
    // The year in the first title: the printout and the workbook carry it.
    m_summaryModel->setHorizontalHeaderLabels(
        {QStringLiteral("%1年度账单").arg(year), QStringLiteral("数值"), QStringLiteral("说明")});
    for (const SummaryLine& l : summaryLines(summary))
        m_summaryModel->appendRow({cell(l.item), cell(l.figure, Qt::AlignRight | Qt::AlignVCenter), cell(l.sentence)});
    m_summaryGrid->setColumnWidths({110, 120, 500});
    m_summaryGrid->horizontalHeader()->setStretchLastSection(true);
    m_filled[2] = true;
}

void Tf_qushi::Button1Click()
{
    TabSheet3Show();
    if (!GridOutput::preview(*m_summaryGrid, this))
        Msg::info(this, QStringLiteral("请先设置默认打印机!"));
}

void Tf_qushi::Button2Click()
{
    TabSheet3Show();
    GridOutput::exportXls(*m_summaryGrid, this, QStringLiteral("导出Excel"));
}
