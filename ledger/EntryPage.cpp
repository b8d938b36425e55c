#include "ledger/EntryPage.h"

#include "data/Journal.h"
#include "data/PlanLinks.h"
#include "data/Sums.h"

#include "data/Budgets.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "ledger/AmountCalculator.h"
#include "ledger/CategoryPicker.h"
#include "ledger/EntryChecks.h"
#include "ledger/EntryInfoBox.h"
#include "ledger/EntryPanels.h"
#include "ledger/LikePattern.h"
#include "ledger/SevenDayChart.h"
#include "ui/Charts.h"
#include "ui/ClickLabel.h"
#include "ui/DataGrid.h"
#include "ui/LookupCombo.h"
#include "ui/Msg.h"

#include <QChartView>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const char* const kUpdateRecord
    = "update  s_shouru set f_fenleiid=:f,s_jine=:j,s_userid=:u, s_other=:o, s_zhanghuid=:z,s_date=:d where id=:id";
const char* const kInsertRecord = "insert into s_shouru (f_fenleiid,s_jine,s_userid, s_other, "
                                  "s_zhanghuid,s_date,f_class) values (:f,:j,:u,:o,:z,:d,:c)";

// Form layout: captions at lx, controls at cx with width cw, rows 30 apart.
constexpr int lx = 10, cx = 74, cw = 170;

}  // namespace

EntryPage::EntryPage(const EntryTraits& traits, QWidget* parent)
    : Page(traits.objectName, parent, QColor(Qt::white)),
      m_t(traits)
{
    buildButtonRow();
    buildForm();
    buildInfoAndChart();
    buildList();
    buildPanels();
    FormCreate();
}

void EntryPage::buildButtonRow()
{
    // Add, delete, save on the left; the day bar on the right.
    connect(button(this, "Button1", QStringLiteral("增加"), QRect(6, 8, 60, 26)), &QPushButton::clicked, this,
            &EntryPage::Button1Click);
    connect(button(this, "Button2", QStringLiteral("删除"), QRect(70, 8, 60, 26)), &QPushButton::clicked, this,
            &EntryPage::Button2Click);
    connect(button(this, "Button3", QStringLiteral("保存"), QRect(134, 8, 60, 26)), &QPushButton::clicked, this,
            &EntryPage::Button3Click);
    connect(button(this, "Button4", QStringLiteral("昨天"), QRect(420, 8, 52, 26)), &QPushButton::clicked, this,
            &EntryPage::Button4Click);
    connect(button(this, "Button5", QStringLiteral("今天"), QRect(476, 8, 52, 26)), &QPushButton::clicked, this,
            &EntryPage::Button5Click);
    connect(button(this, "Button6", QStringLiteral("明天"), QRect(532, 8, 52, 26)), &QPushButton::clicked, this,
            &EntryPage::Button6Click);
    m_listDate = dateEdit(this, "DateTimePicker1", QRect(590, 8, 100, 26));
    connect(m_listDate, &QDateEdit::dateChanged, this, &EntryPage::DateTimePicker1Change);
    connect(button(this, "Button7", QStringLiteral("模糊查询"), QRect(694, 8, 74, 26)), &QPushButton::clicked, this,
            &EntryPage::Button7Click);
    auto* hidden = button(this, "Button28", QStringLiteral("刷新"), QRect(0, 0, 1, 1));
    hidden->hide();
    connect(hidden, &QPushButton::clicked, this, &EntryPage::Button28Click);
}

void EntryPage::buildForm()
{
    m_form = groupBox(this, QString(), "GroupBox1", QRect(3, 43, 257, 195));
    int y = 10;
    label(m_form, QStringLiteral("日　期："), QRect(lx, y, 64, 24));
    m_entryDate = dateEdit(m_form, "DateTimePicker2", QRect(cx, y, cw, 24));
    connect(m_entryDate, &QDateEdit::dateChanged, this, &EntryPage::DateTimePicker2Change);
    y += 30;
    label(m_form, QString::fromUtf8(m_t.payerCaption), QRect(lx, y, 64, 24));
    m_payer = lookupCombo(m_form, "DBLookupComboboxEh1", QRect(cx, y, cw, 24),
                          QStringLiteral("付款人－可以在系统设置－用户管理 里进行添加"));
    y += 30;
    label(m_form, QStringLiteral("分　类："), QRect(lx, y, 64, 24));
    m_category = lineEdit(m_form, "Edit3", QRect(cx, y, cw, 24), 50,
                          QStringLiteral("项目－可以从 [收入分类] 或 [支出分类] 里进行添加"));
    m_category->installEventFilter(this);
    connect(m_category, &QLineEdit::textChanged, this, &EntryPage::Edit3Change);
    y += 30;
    label(m_form, QStringLiteral("金　额："), QRect(lx, y, 64, 24));
    m_amount
        = lineEdit(m_form, "Edit1", QRect(cx, y, cw - 28, 24), 0, QStringLiteral("请在 英文输入法 状态下输入金额"));
    m_amount->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_amount->installEventFilter(this);
    m_calcPicture = new ClickLabel(m_form);
    m_calcPicture->setObjectName(QStringLiteral("Image7"));
    m_calcPressedPicture = new ClickLabel(m_form);
    m_calcPressedPicture->setObjectName(QStringLiteral("Image8"));
    for (ClickLabel* img : {m_calcPicture, m_calcPressedPicture}) {
        img->setGeometry(cx + cw - 24, y, 24, 24);
        img->setAlignment(Qt::AlignCenter);
        img->setToolTip(QStringLiteral("金额计算器"));
    }
    m_calcPicture->setPixmap(AmountCalculator::picture(false));
    m_calcPressedPicture->setPixmap(AmountCalculator::picture(true));
    m_calcPressedPicture->hide();
    y += 30;
    label(m_form, QStringLiteral("账　户："), QRect(lx, y, 64, 24));
    m_account = lookupCombo(m_form, "DBLookupComboboxEh2", QRect(cx, y, cw, 24),
                            QStringLiteral("账户－可从 账户 管理里行添加"));
    y += 30;
    label(m_form, QStringLiteral("备　注："), QRect(lx, y, 64, 24));
    m_remark = lineEdit(m_form, "Edit2", QRect(cx, y, cw, 24), 250);
    m_editId = label(this, QStringLiteral("0"), QRect(0, 0, 1, 1), "editid");
    m_editId->hide();
}

void EntryPage::buildInfoAndChart()
{
    m_infoBox = new EntryInfoBox(QString::fromUtf8(m_t.infoCaption), QString::fromUtf8(m_t.label14),
                                 QString::fromUtf8(m_t.label15), QString::fromUtf8(m_t.label17), this);
    QGroupBox* chartBox = groupBox(this, QStringLiteral("最近七次金额变化"), "GroupBox3", QRect(461, 43, 308, 193));
    m_chart = Charts::makeView(chartBox, QStringLiteral("DBChart1"), QColor(0xc0, 0xc0, 0xc0));
    m_chart->setGeometry(4, 18, 300, 171);
}

void EntryPage::buildList()
{
    m_listModel = new QueryModel(this);
    connect(m_listModel, &QueryModel::readFailed, this, [this](const QString& error) { Msg::dbError(this, error); });
    m_list = grid(this, "DBGridEh1", QRect(3, 240, 768, 243), m_listModel);
    connect(m_list, &QAbstractItemView::clicked, this, &EntryPage::DBGridEh1CellClick);
}

void EntryPage::buildPanels()
{
    // Pop-up panels, hidden until needed.
    m_picker = new CategoryPicker(classLetter(), this);
    connect(m_picker, &CategoryPicker::chosen, this, &EntryPage::categoryChosen);
    m_picker->takeKeysOf(m_category, m_amount);

    m_notice = new SaveNotice(this);
    connect(m_notice, &SaveNotice::clicked, this, &EntryPage::GroupBox7Click);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(2000);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &EntryPage::Timer1Timer);

    m_search = new SearchPanel(this);
    connect(m_search, &SearchPanel::cancelClicked, this, &EntryPage::Button8Click);
    connect(m_search, &SearchPanel::searchClicked, this, &EntryPage::Button9Click);

    m_calc = new AmountCalculator(*m_t.calculator, m_amount, m_calcPicture, m_calcPressedPicture, this);
    m_calc->move(m_form->x() + cx, m_form->y() + 124);
    m_calc->hide();
    connect(m_calcPicture, &ClickLabel::clicked, m_calc, &AmountCalculator::Image7Click);
    connect(m_calcPressedPicture, &ClickLabel::clicked, m_calc, &AmountCalculator::Image7Click);
}

void EntryPage::FormCreate()
{
    setDates(Clock::today(), Clock::today());
    m_search->setRange(Clock::today(), Clock::today());
    DbError error;
    if (!m_payer->load(QStringLiteral("select * from s_user"), QStringLiteral("id"), QStringLiteral("Sys_name"), {},
                       &error)
        || !m_account->load(QStringLiteral("select * from z_zhanghu order by id desc"), QStringLiteral("id"),
                            QStringLiteral("z_name"), {}, &error)
        || !m_picker->loadTopLevel(&error)) {
        Msg::dbError(this, error);
        return;
    }
    m_payer->setCurrentIndex(m_payer->count() ? 0 : -1);
    m_account->setCurrentIndex(m_account->count() ? 0 : -1);
    if (!loadChart() || !search())
        return;
    Button1Click();
    m_calc->Button11Click();
}

void EntryPage::FormShow()
{
    m_amount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!m_t.budgetBox)
        m_infoBox->showMonthComparison(classLetter(), Clock::today());
}

void EntryPage::setDates(const QDate& entry, const QDate& list)
{
    const QSignalBlocker b1(m_entryDate), b2(m_listDate);
    m_entryDate->setDate(entry);
    m_listDate->setDate(list);
}

// ---------------------------------------------------------------- list

bool EntryPage::loadList(const QString& where, const Binds& binds, const QDate& spanFrom, const QDate& spanTo)
{
    Binds all = binds;
    all.prepend({":c", classLetter()});
    QueryModel::Chunked list = recordList(QStringLiteral("f_class=:c and ") + where);
    if (spanFrom.isValid()) {
        list.totalsSource = spanViewSql();
        list.totalsFilter = QStringLiteral("f_class=:c");
        all += spanBinds(spanFrom, spanTo);
    }
    DbError error;
    const bool ok = m_listModel->setChunkedQuery(list, all, &error);
    // List format: money column, widths, footer, hidden ids.
    m_listModel->setColumnFormat(ColAmount, QueryModel::Yuan);
    m_listModel->setRowNumberColumn(ColNo);
    for (int c : {ColUserId, ColAccountId, ColId})
        m_list->setColumnHidden(c, true);
    m_list->setFooterText(ColNo, QStringLiteral("合计:"));
    m_list->setFooterSum(ColAmount);
    // Wider where an amount or the sum of twenty years would be cut.
    m_list->setColumnWidthsAtLeast({40, 80, 80, 80, 80, 80});
    // The remark takes the width that is left: no horizontal scroll bar.
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->verticalHeader()->setDefaultSectionSize(22);
    if (!ok)
        Msg::dbError(this, error);
    return ok;
}

bool EntryPage::showDay() { return loadList(QStringLiteral("s_date=:d"), {{":d", m_listDate->date()}}); }

void EntryPage::Button28Click() { showDay(); }

void EntryPage::Button4Click()
{
    setDates(m_entryDate->date().addDays(-1), m_listDate->date().addDays(-1));
    Button28Click();
}

void EntryPage::Button5Click()
{
    setDates(Clock::today(), Clock::today());
    Button28Click();
}

void EntryPage::Button6Click()
{
    setDates(m_entryDate->date().addDays(1), m_listDate->date().addDays(1));
    Button28Click();
}

void EntryPage::DateTimePicker1Change() { Button28Click(); }

void EntryPage::DateTimePicker2Change()
{
    // The list follows the day the record is entered for.
    const QSignalBlocker b(m_listDate);
    m_listDate->setDate(m_entryDate->date());
    Button28Click();
}

void EntryPage::Button7Click() { m_search->open(); }

void EntryPage::Button8Click() { m_search->hide(); }

void EntryPage::Button9Click() { search(); }

bool EntryPage::search()
{
    m_search->hide();
    const QString keyword = m_search->keyword();
    Binds binds{{":t1", m_search->from()}, {":t2", m_search->to()}};
    if (!keyword.trimmed().isEmpty()) {
        // A missing remark counts as empty text, so the name alone still matches.
        binds.append({":k", likePattern(keyword)});
        return loadList(
            QStringLiteral("f_name||coalesce(s_other,'') like :k escape '\\' and s_date between :t1 and :t2"), binds);
    }
    return loadList(QStringLiteral("s_date between :t1 and :t2"), binds, m_search->from(), m_search->to());
}

bool EntryPage::loadChart()
{
    QString error;
    const auto days = SevenDayChart::lastSevenDays(classLetter(), &error);
    if (!error.isEmpty()) {
        Msg::dbError(this, error);
        return false;
    }
    SevenDayChart::draw(m_chart, days);
    return true;
}

// ---------------------------------------------------------------- form

void EntryPage::Button1Click()
{
    // Add mode: no record is chosen, so 删除 has nothing to act on unseen.
    m_editMode = false;
    m_editId->setText(QStringLiteral("0"));
    m_list->selectionModel()->clear();
    m_loadingForm = true;
    m_amount->clear();
    m_remark->clear();
    m_category->clear();
    m_loadingForm = false;
    m_picker->hide();
}

void EntryPage::DBGridEh1CellClick()
{
    m_picker->hide();
    const int row = m_list->currentIndex().row();
    if (m_listModel->rowCount() == 0 || row < 0)
        return;
    m_editMode = true;
    m_editId->setText(QString::number(m_listModel->raw(row, ColId).toLongLong()));
    {
        const QSignalBlocker b(m_entryDate);
        m_entryDate->setDate(m_listModel->raw(row, ColDate).toDate());
    }
    m_category->setText(m_listModel->raw(row, ColItem).toString());
    m_payer->setKeyValue(m_listModel->raw(row, ColUserId));
    m_amount->setText(m_listModel->raw(row, ColAmount).value<Money>().plain());
    m_account->setKeyValue(m_listModel->raw(row, ColAccountId));
    m_remark->setText(m_listModel->raw(row, ColRemark).toString());
    m_picker->hide();
}

void EntryPage::Button3Click()
{
    auto refuse = [this](const char* text, QWidget* focus) {
        Msg::error(this, QString::fromUtf8(text));
        focus->setFocus();
    };
    // An operation left open on the calculator counts as finished.
    m_calc->finishPending();
    const QString name = m_category->text();
    Money amount;
    const EntryRefusal refusal
        = checkEntry({m_payer->currentIndex() >= 0, name, m_amount->text(), m_account->currentIndex() >= 0}, &amount);
    if (refusal.field != EntryRefusal::None) {
        QWidget* const focus[] = {nullptr, m_payer, m_category, m_amount, m_account};
        Msg::error(this, refusal.message);
        focus[refusal.field]->setFocus();
        return;
    }
    // Only a sub-category of this page's own class, so the record always
    // shows in this page's lists and sums.
    Query lookup(QStringLiteral("Select id from v_fenlei where f_name=:n and f_class=:c"));
    lookup.bind(":n", name).bind(":c", classLetter());
    switch (lookup.fetch()) {
    case Query::Fetch::Failed: return Msg::dbError(this, lookup.error());
    case Query::Fetch::NoRow: return refuse("对不起，请重新输入项目", m_category);
    case Query::Fetch::Row: break;
    }
    const qint64 categoryId = lookup.integer(0);

    Query write(QString::fromUtf8(m_editMode ? kUpdateRecord : kInsertRecord));
    if (m_editMode)
        write.bind(":id", m_editId->text().toLongLong());
    else
        write.bind(":c", classLetter());
    write.bind(":f", categoryId)
        .bind(":j", amount)
        .bind(":u", m_payer->keyValue().toLongLong())
        .bind(":o", m_remark->text())
        .bind(":z", m_account->keyValue().toLongLong())
        .bind(":d", m_entryDate->date());
    JournalAction action(Database::shared(), actionLabel(QStringLiteral("保存"), name, amount),
                         QString::fromLatin1(ActionKind::Save));
    if (!action.isActive())
        return Msg::dbError(this, action.error());
    if (!write.exec())
        return Msg::dbError(this, write.error());
    if (m_editMode && Database::shared().changes() == 0) {
        // The record was deleted meanwhile: nothing was written.
        Msg::error(this, QStringLiteral("对不起，该记录已被删除，请点〔增加〕后重新保存"));
        return;
    }
    if (!action.finish())
        return Msg::dbError(this, action.error());
    m_notice->popUp();
    m_timer->start();
    const QDate day = m_entryDate->date();
    Button1Click();
    if (showDay())
        refreshAfterChange(categoryId);
    if (m_t.budgetBox)
        showBudgetNotices(categoryId, day);
}

void EntryPage::showBudgetNotices(qint64 categoryId, const QDate& day)
{
    QList<BudgetNotice> notices;
    DbError error;
    // Outside the save's action: an undo of the save leaves them shown.
    if (!dueBudgetNotices(Database::shared(), categoryId, day, &notices, &error)
        || !markBudgetNotices(Database::shared(), notices, &error))
        return Msg::dbError(this, error);
    for (const BudgetNotice& n : notices) {
        if (n.over)
            Msg::warningNotice(this, n.text);
        else
            Msg::notice(this, n.text);
    }
}

void EntryPage::Button2Click()
{
    if (m_editId->text() == u"0") {
        Msg::error(this, QStringLiteral("对不起，请先选择要删除的记录"));
        return;
    }
    const qint64 id = m_editId->text().toLongLong();
    // A record a recurring plan posted: its occurrence is skipped for good,
    // or due again.
    qint64 occurrence = 0;
    int way = 0;
    if (!planOccurrence(id, &occurrence, &way))
        return;
    if (!occurrence && !Msg::confirm(this, QStringLiteral("是否确定删除？")))
        return;
    Query category(QStringLiteral("select s.f_fenleiid, s.s_jine, f.f_name from s_shouru s "
                                  "left join s_fenlei f on f.id=s.f_fenleiid where s.id=:id"));
    category.bind(":id", id);
    if (category.fetch() == Query::Fetch::Failed)
        return Msg::dbError(this, category.error());
    const qint64 categoryId = category.integer(0);  // 0: deleted meanwhile
    JournalAction action(Database::shared(), actionLabel(QStringLiteral("删除"), category.text(2), category.money(1)),
                         QString::fromLatin1(ActionKind::Delete));
    if (!action.isActive())
        return Msg::dbError(this, action.error());
    Query del(QStringLiteral("delete from s_shouru where id=:id"));
    del.bind(":id", id);
    if (!del.exec())
        return Msg::dbError(this, del.error());
    if (DbError error; occurrence && !releaseOccurrence(Database::shared(), occurrence, way == 1, &error))
        return Msg::dbError(this, error);
    if (!action.finish())
        return Msg::dbError(this, action.error());
    // Back to add mode with an empty form, so 保存 cannot bring it back.
    Button1Click();
    if (showDay())
        refreshAfterChange(categoryId);
}

bool EntryPage::planOccurrence(qint64 record, qint64* occurrence, int* way)
{
    PlanLink link;
    DbError error;
    if (!planLinkOf(Database::shared(), Posted::Record, record, &link, &error)) {
        Msg::dbError(this, error);
        return false;
    }
    *occurrence = link.occurrence;
    if (!link.occurrence)
        return true;
    *way = Msg::chooseWay(this, planDeleteQuestion(link.plan),
                          {QStringLiteral("标记本期为跳过"), QStringLiteral("恢复为待入账")});
    return *way != 0;
}

QString EntryPage::actionLabel(const QString& verb, const QString& category, Money amount) const
{
    // "保存支出 早餐 12.50": what the undo question and the recycle bin show.
    return QStringLiteral("%1%2 %3 %4")
        .arg(verb, m_t.classLetter == 'Z' ? QStringLiteral("支出") : QStringLiteral("收入"), category,
             amount.twoDecimals());
}

void EntryPage::refreshAfterChange(qint64 categoryId)
{
    const bool ok = m_t.budgetBox ? m_infoBox->showBudgetOfCategory(categoryId, m_entryDate->date())
                                  : m_infoBox->showMonthComparison(classLetter(), Clock::today());
    if (ok)
        loadChart();
}

void EntryPage::GroupBox7Click() { m_notice->hide(); }

void EntryPage::Timer1Timer()
{
    m_notice->hide();
    m_timer->stop();
}

// ---------------------------------------------------------------- picker

void EntryPage::Edit3Click() { m_picker->openAll(); }

void EntryPage::Edit3Change()
{
    if (!m_loadingForm)  // clearing the form opens nothing
        m_picker->openMatching(m_category->text());
}

void EntryPage::categoryChosen(qint64 parentId, const QString& name)
{
    if (m_t.budgetBox && !m_infoBox->showBudget(parentId, m_entryDate->date()))
        return;
    m_category->setText(name);
}

bool EntryPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_amount && event->type() == QEvent::KeyPress)
        return AmountCalculator::refusesKey(*m_amount, *static_cast<QKeyEvent*>(event));
    if (watched == m_category && event->type() == QEvent::MouseButtonPress)
        QTimer::singleShot(0, this, &EntryPage::Edit3Click);
    return Page::eventFilter(watched, event);
}
