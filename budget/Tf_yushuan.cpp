#include "budget/Tf_yushuan.h"

#include "data/Budgets.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/GridFixups.h"
#include "data/Sums.h"
#include "ui/BatchEditor.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"
#include "ui/NumberField.h"
#include "ui/PageKit.h"
#include "ui/QueryModel.h"

#include <QColor>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The key first and the category last, so the shown columns keep their
// places: id (hidden), 项目名称, 预算金额, 年度预算, 结转, 备注信息.
const char* const kDefinitions
    = "select id,y_money as 预算金额,y_year as 年度预算,y_x as 备注信息,f_id,y_jiezhuan from s_yushuan order by id";
const char* const kCategories = "select id,f_name as 项目名称 from s_fenlei where f_id=0 and f_class='Z'";

// The year field starts at the bookkeeping's first year; budgets of years
// to come can be compared too.
constexpr int kFirstYear = 2009, kLastYear = 2100;

// A line spent over what the month may spend shows red.
class ComparisonModel : public QueryModel {
public:
    using QueryModel::QueryModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::ForegroundRole) {
            const Money spent = raw(index.row(), 1).value<Money>();
            const Money budget = raw(index.row(), 2).value<Money>();
            const Money available = raw(index.row(), Tf_yushuan::CmpAvailable).value<Money>();
            return budget.raw() > 0 && spent > available ? QVariant(QColor(Qt::red)) : QVariant();
        }
        return QueryModel::data(index, role);
    }
};

QWidget* tab(QTabWidget* tabs, const char* name, const QString& caption)
{
    auto* w = new QWidget;
    w->setObjectName(QString::fromLatin1(name));
    tabs->addTab(w, caption);
    return w;
}

}  // namespace

// A month's spending per top-level category beside its budget, from the
// records' monthly sums.
QString Tf_yushuan::comparisonSql()
{
    return QStringLiteral("SELECT s_ys_2.f_name as 项目名称, s_ys_2.xxmoney as 本月消费总额, s_yushuan.y_money as "
                          "预算消费金额, s_yushuan.y_x as 备注, %1 as 本月可用\n"
                          "FROM s_yushuan INNER JOIN (SELECT f_id as xid, dfenlei as f_name, Sum(s_jine) AS xxmoney\n"
                          "FROM %2 where f_class='Z'\n"
                          "GROUP BY f_id, dfenlei\n"
                          ") s_ys_2 ON s_yushuan.f_id = s_ys_2.xid\n"
                          "ORDER BY s_yushuan.id")
        .arg(availableSql(), spanViewSql());
}

Binds Tf_yushuan::comparisonBinds(const QDate& month)
{
    const QDate first = firstDayOfMonth(month);
    return spanBinds(first, lastDayOfMonth(first)) + availableBinds(first);
}

Tf_yushuan::Tf_yushuan(QWidget* parent) : Page("f_yushuan", parent)
{
    m_tabs = PageKit::pageTabs(this, 26);
    buildDefinitionTab();
    buildComparisonTab();
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_tabs->widget(index) == m_defTab)
            TabSheet2Show();
        else
            TabSheet1Show();
    });
    FormCreate();
}

void Tf_yushuan::buildDefinitionTab()
{
    m_defTab = tab(m_tabs, "TabSheet2", QStringLiteral("预算定制"));
    m_def = new BatchModel(this);
    m_defGrid = grid(m_defTab, "DBGridEh9", QRect(), m_def);
    m_defGrid->setRowHeight(22);
    m_defGrid->setFitColumns(true);
    m_defGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_defGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                               | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_defGrid->setInputMethodClosed(DefMoney);
    m_defGrid->setInputMethodClosed(DefYear);
    auto* layout = new QVBoxLayout(m_defTab);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_defGrid);

    // Above the tabs, at their right; only the definitions are saved.
    m_save = button(m_tabs, "Button1", QStringLiteral("保存"), QRect(0, 0, 64, 24));
    m_tabs->setCornerWidget(m_save, Qt::TopRightCorner);
    connect(m_save, &QPushButton::clicked, this, &Tf_yushuan::Button1Click);
    buildEditor();
}

void Tf_yushuan::buildComparisonTab()
{
    m_cmpTab = tab(m_tabs, "TabSheet1", QStringLiteral("预算查询"));
    label(m_cmpTab, QStringLiteral("请选择月份进行对比分析"), QRect(8, 8, 150, 24));
    m_year = new NumberField(kFirstYear, kLastYear, m_cmpTab);
    m_year->setObjectName(QStringLiteral("SpinEdit1"));
    m_year->setGeometry(160, 8, 70, 24);
    label(m_cmpTab, QStringLiteral("年"), QRect(236, 8, 16, 24));
    m_month = new NumberField(1, 12, m_cmpTab);
    m_month->setObjectName(QStringLiteral("SpinEdit2"));
    m_month->setGeometry(256, 8, 50, 24);
    label(m_cmpTab, QStringLiteral("月"), QRect(312, 8, 16, 24));
    connect(button(m_cmpTab, "Button42", QStringLiteral("刷新"), QRect(336, 8, 60, 24)), &QPushButton::clicked, this,
            &Tf_yushuan::Button42Click);

    m_cmp = new ComparisonModel(this);
    m_cmp->setMoneyColumns({QStringLiteral("本月消费总额"), QStringLiteral("本月可用")});
    m_cmpGrid = grid(m_cmpTab, "DBGridEh10", QRect(), m_cmp);
    m_cmpGrid->setRowHeight(22);
    m_cmpGrid->setFitColumns(true);
    m_cmpGrid->setWholeRowSelection(true);
    auto* layout = new QVBoxLayout(m_cmpTab);
    layout->setContentsMargins(2, 40, 2, 2);  // below the month bar
    layout->addWidget(m_cmpGrid);
}

void Tf_yushuan::FormCreate()
{
    m_month->setValue(Clock::today().month());
    m_year->setValue(Clock::today().year());
    m_tabs->setCurrentWidget(m_defTab);
    TabSheet2Show();
    Button42Click();
}

bool Tf_yushuan::openDefinitions()
{
    DbError error;
    bool ok = m_def->setQuery(QString::fromUtf8(kDefinitions), {}, QStringLiteral("s_yushuan"), QStringLiteral("id"),
                              &error);
    if (ok) {
        // The category names are read once; the name is never edited here.
        ok = m_def->insertLookupColumn(DefName, QStringLiteral("项目名称"), QStringLiteral("f_id"),
                                       QString::fromUtf8(kCategories), QStringLiteral("id"), QStringLiteral("项目名称"),
                                       &error);
        // 结转 shows 是 or 否 and stores 1 or 0.
        ok = ok
             && m_def->insertLookupColumn(DefCarry, QStringLiteral("结转"), QStringLiteral("y_jiezhuan"),
                                          QStringLiteral("select 0 as id, '否' as n union all select 1, '是'"),
                                          QStringLiteral("id"), QStringLiteral("n"), &error);
        m_def->setReadOnly(DefName);
        // No yearly amount is NULL, not 0.
        m_def->setRequired(DefYear);
        m_def->setMaxLength(DefRemark, 50);
        m_definitionsOpen = true;
    }
    layoutDefinitions();
    if (!ok)
        Msg::dbError(this, error);
    return ok;
}

void Tf_yushuan::layoutDefinitions()
{
    m_defGrid->setColumnHidden(DefId, true);
    m_defGrid->setColumnHidden(DefCategoryId, true);
    m_defGrid->setColumnHidden(DefCarryValue, true);
}

void Tf_yushuan::TabSheet2Show()
{
    // Opened once: edits survive a look at the comparison.
    if (!m_definitionsOpen)
        openDefinitions();
    m_save->show();
}

void Tf_yushuan::TabSheet1Show() { m_save->hide(); }

void Tf_yushuan::Button42Click()
{
    const QDate first(m_year->settledValue(), m_month->settledValue(), 1);
    DbError error;
    if (!m_cmp->setQuery(comparisonSql(), comparisonBinds(first), &error))
        Msg::dbError(this, error);
}

void Tf_yushuan::buildEditor()
{
    BatchEditor::Setup s;
    s.subject = QStringLiteral("预算");
    s.keyColumn = DefId;
    s.askBeforeSave = false;
    s.ready = [this] { return m_definitionsOpen; };
    // The edits stay in the grid to be put right (or saved again once the
    // file can be written).
    s.refusedBox = BatchEditor::Box::InfoWithDetail;
    s.refused = QStringLiteral("预算金额必须是数字，不能为空！");
    // The edits and the zero for budgets left empty go in together.
    s.extraWrite = zeroEmptyBudgets;
    s.reread = [this] {
        DbError error;
        const bool read = m_def->refresh(&error);
        layoutDefinitions();
        if (!read)
            Msg::dbError(this, error);
        return read;
    };
    m_editor = new BatchEditor(this, m_defGrid, m_def, std::move(s));
}

void Tf_yushuan::Button1Click() { m_editor->saveClicked(); }
