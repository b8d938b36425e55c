#include "accounts/Tf_zhanghu.h"

#include "data/AccountTotals.h"
#include "data/Database.h"
#include "data/GridFixups.h"
#include "ui/BatchEditor.h"
#include "ui/BatchModel.h"
#include "ui/Charts.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"

#include <QChart>
#include <QChartView>
#include <QGroupBox>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>

namespace {
// The titles are the grid's column titles; "收入" carries an ideographic space.
const char* const kGridSelect
    = "select id as 编号,z_name as 账户名称,z_qcje as 起始金额,z_shouru as \"收入\u3000\",z_zhichu as 支出,"
      "z_jieru as 借入,z_jiechu as 借出,z_zhuanru as 转入,z_zhuanchu as 转出,z_yue as 余额,z_other as 备注 "
      "from z_zhanghu order by id";
const char* const kChartSelect
    = "select z_name as 账户名称,z_yue as 余额,z_shouru as 收入 ,z_zhichu as 支出 from z_zhanghu order by id";
}

Tf_zhanghu::Tf_zhanghu(QWidget* parent) : Page("f_zhanghu", parent)
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    m_tabs->setGeometry(rect());
    // On the tab bar alone, so the sheet reaches nothing else.
    m_tabs->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { height: 28px; width: 73px; }"));
    auto* accounts = new QWidget;
    accounts->setObjectName(QStringLiteral("TabSheet5"));
    auto* charts = new QWidget;
    charts->setObjectName(QStringLiteral("TabSheet6"));
    m_tabs->addTab(accounts, QStringLiteral("账户管理"));
    m_tabs->addTab(charts, QStringLiteral("图表分析"));
    buildAccountsTab(accounts);
    buildChartTab(charts);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this, charts](int) {
        if (m_tabs->currentWidget() == charts)
            TabSheet6Show();
    });
    FormCreate();
}

void Tf_zhanghu::buildAccountsTab(QWidget* tab)
{
    connect(button(tab, "Button27", QStringLiteral("增加"), QRect(6, 6, 60, 26)), &QPushButton::clicked, this,
            &Tf_zhanghu::Button27Click);
    connect(button(tab, "Button28", QStringLiteral("删除"), QRect(70, 6, 60, 26)), &QPushButton::clicked, this,
            &Tf_zhanghu::Button28Click);
    connect(button(tab, "Button9", QStringLiteral("保存"), QRect(134, 6, 60, 26)), &QPushButton::clicked, this,
            &Tf_zhanghu::Button9Click);
    m_model = new BatchModel(this);
    m_grid = grid(tab, "DBGridEh3", QRect(3, 38, kWidth - 12, kHeight - 78), m_model);
    m_grid->setRowHeight(25);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    // The press sets the selected account, also when it opens an editor.
    connect(m_grid, &QAbstractItemView::pressed, this, &Tf_zhanghu::DBGridEh3CellClick);
    connect(m_grid, &QAbstractItemView::clicked, this, &Tf_zhanghu::DBGridEh3CellClick);
    buildEditor();
}

void Tf_zhanghu::buildChartTab(QWidget* tab)
{
    QGroupBox* left = groupBox(tab, QStringLiteral("账户现有资金分布图"), "GroupBox1", QRect(4, 4, 370, 440));
    m_balance = Charts::makeView(left, QStringLiteral("DBChart1"));
    m_balance->setGeometry(6, 20, 358, 414);
    QGroupBox* right = groupBox(tab, QStringLiteral("账户收入/支出分布图"), "GroupBox2", QRect(380, 4, 380, 440));
    m_income = Charts::makeView(right, QStringLiteral("DBChart2"));
    m_income->setGeometry(6, 20, 368, 204);
    m_income->chart()->setTitle(QStringLiteral("账户收入资金分布图"));
    m_expense = Charts::makeView(right, QStringLiteral("DBChart3"));
    m_expense->setGeometry(6, 228, 368, 204);
    m_expense->chart()->setTitle(QStringLiteral("账户支出资金分布图"));
}

void Tf_zhanghu::FormCreate() { refresh(); }

bool Tf_zhanghu::refresh()
{
    DbError error;
    const bool ok = m_model->setQuery(QString::fromUtf8(kGridSelect), {}, QStringLiteral("z_zhanghu"),
                                      QStringLiteral("id"), &error);
    m_grid->setColumnHidden(ColId, true);
    for (int c = ColIncome; c <= ColBalance; ++c)
        m_model->setReadOnly(c);
    m_model->setMaxLength(ColName, 50);
    m_grid->setFooterText(ColName, QStringLiteral("合计:"));
    for (int c = ColOpening; c <= ColBalance; ++c)
        m_grid->setFooterSum(c);
    // Amount columns as wide as their figures; the remark takes what is left.
    m_grid->setColumnWidthsAtLeast({0, 60, 50, 50, 50, 50, 50, 50, 50, 50, 1}, ColRemark);
    m_grid->setInputMethodClosed(ColOpening);
    if (!ok)
        Msg::dbError(this, error);
    return ok;
}

void Tf_zhanghu::DBGridEh3CellClick()
{
    const QModelIndex i = m_grid->currentIndex();
    if (!i.isValid())
        return;
    const QVariant id = m_model->raw(i.row(), ColId);
    m_selectedId = id.isValid() ? QString::number(id.toLongLong()) : QString();
}

void Tf_zhanghu::buildEditor()
{
    BatchEditor::Setup s;
    s.subject = QStringLiteral("账户");
    s.keyColumn = ColId;
    s.addColumn = ColName;
    s.refusedBox = BatchEditor::Box::Notice;
    s.refused = QStringLiteral("对不起，数据格式不对");
    // Another copy of the program deleted an account meanwhile.
    s.vanished = QStringLiteral("对不起，该账户已被删除，请刷新后重新修改");
    s.settleOrder = BatchEditor::SettleOrder::BeforeQuestion;
    s.dropUnsavedRow = false;  // "请先选择要删除的记录"
    // A blank name is refused like any row the database refuses; a second
    // account of the same name would be told apart in no list.
    s.check = [this] {
        QSet<QString> names;
        for (int r = 0; r < m_model->rowCount(); ++r) {
            const QString name = m_model->raw(r, ColName).toString().trimmed();
            if (name.isEmpty()) {
                Msg::notice(this, QStringLiteral("对不起，数据格式不对"));
                return false;
            }
            if (names.contains(name)) {
                Msg::error(this, QStringLiteral("对不起，账户名称已存在"));
                return false;
            }
            names.insert(name);
        }
        return true;
    };
    // The totals are computed again with the batch, so a new account shows
    // its balance at once, as on opening the page.
    s.extraWrite = [](Database& db, DbError* error) {
        return zeroEmptyOpeningAmounts(db, error) && RecalcAccountTotals(db, error);
    };
    s.reread = [this] { return refresh(); };
    s.mayDelete = [this](int) {
        // Saved accounts count, not rows: an appended row never lets the last one go.
        if (m_model->savedRowCount() <= 1) {
            Msg::error(this, QStringLiteral("错误提示：至少保留一个账户！"));
            return false;
        }
        if (m_selectedId.isEmpty() || m_selectedId == u"0") {
            Msg::error(this, QStringLiteral("对不起，请先选择要删除的记录"));
            return false;
        }
        return true;
    };
    s.askDelete = [this](int) { return Msg::confirm(this, QStringLiteral("是否确定删除？")); };
    s.removeSaved = [this](const QVariant& key) {
        Query used(QStringLiteral("select * from s_z_all where s_zhanghuid=:id"));
        used.bind(":id", key.toLongLong());
        switch (used.fetch()) {
        case Query::Fetch::Failed: Msg::dbError(this, used.error()); return false;
        case Query::Fetch::Row:
            Msg::error(this, QStringLiteral("对不起，该账户下有收支明细，不能直接删除。"));
            return false;
        case Query::Fetch::NoRow: break;
        }
        // A loan or a transfer naming the account would lose it from every
        // balance it takes part in.
        Query named(QStringLiteral("select 1 from s_jie where z_id=:id "
                                   "union all select 1 from s_zhanghistory where zh1=:id or zh2=:id limit 1"));
        named.bind(":id", key.toLongLong());
        switch (named.fetch()) {
        case Query::Fetch::Failed: Msg::dbError(this, named.error()); return false;
        case Query::Fetch::Row:
            Msg::error(this, QStringLiteral("对不起，该账户有借入借出或转账记录，不能删除"));
            return false;
        case Query::Fetch::NoRow: break;
        }
        Query del(QStringLiteral("delete from z_zhanghu where id=:id"));
        del.bind(":id", key.toLongLong());
        if (!del.exec()) {
            Msg::dbError(this, del.error());
            return false;
        }
        m_selectedId = QStringLiteral("0");
        return true;
    };
    // The account the mouse last pressed; an unsaved one is the current row.
    s.deleteRow = [this] {
        if (m_selectedId.isEmpty()) {
            const int current = m_grid->currentIndex().row();
            return m_model->isNewRow(current) ? current : -1;  // refused with the message
        }
        for (int r = 0; r < m_model->rowCount(); ++r)
            if (!m_model->isNewRow(r) && QString::number(m_model->raw(r, ColId).toLongLong()) == m_selectedId)
                return r;
        return -1;
    };
    m_editor = new BatchEditor(this, m_grid, m_model, std::move(s));
}

void Tf_zhanghu::Button27Click() { m_editor->add(); }
void Tf_zhanghu::Button28Click() { m_editor->remove(); }
void Tf_zhanghu::Button9Click() { m_editor->saveClicked(); }

void Tf_zhanghu::TabSheet6Show()
{
    Query q(QString::fromUtf8(kChartSelect));
    QStringList names;
    QList<double> balance, income, expense;
    while (q.next()) {
        names << q.text(0);
        balance << q.money(1).toDouble();
        income << q.money(2).toDouble();
        expense << q.money(3).toDouble();
    }
    if (!readOk(q))
        return;
    Charts::setPie(m_balance, names, balance);
    Charts::setPie(m_income, names, income);
    Charts::setPie(m_expense, names, expense);
}
