#include "recurring/Tf_zhouqi.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/Tx_Data.h"
#include "recurring/RuleEditor.h"
#include "recurring/Tf_daichuli.h"
#include "ui/BatchEditor.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"

#include <QPushButton>

namespace {
const char* const kPlans
    = "select id, p_type, f_id, z_id, z_id2, u_id, p_rule, p_varies, p_mode, p_name as 名称, p_money as 金额, "
      "'' as 规则, p_start as 开始, p_end as 结束, p_count as 次数, p_ahead as 提前提醒天数, '' as 状态 "
      "from p_plan order by id";

struct Lookup {
    int position;
    const char* title;
    const char* key;
    const char* sql;
};
const Lookup kLookups[] = {
    {Tf_zhouqi::ColTypeName, "类型", "p_type",
     "select 'Z' as id, '支出' as n union all select 'S', '收入' union all select 'T', '转账'"},
    {Tf_zhouqi::ColCategory, "类别", "f_id",
     "select id, f_name as n from s_fenlei where f_id<>0 order by f_class desc, f_id, id"},
    {Tf_zhouqi::ColAccount, "账户", "z_id", "select id, z_name as n from z_zhanghu order by id"},
    {Tf_zhouqi::ColToAccount, "转入账户", "z_id2", "select id, z_name as n from z_zhanghu order by id"},
    {Tf_zhouqi::ColMember, "付款人", "u_id", "select id, sys_name as n from s_user order by id"},
    {Tf_zhouqi::ColVariesName, "金额不固定", "p_varies", "select 0 as id, '否' as n union all select 1, '是'"},
    {Tf_zhouqi::ColModeName, "方式", "p_mode",
     "select 'confirm' as id, '提醒确认' as n union all select 'auto', '自动入账' union all "
     "select 'remind', '仅提醒'"},
};

Recurrence ruleOf(const QVariant& text) { return Recurrence::decode(text.toString()).value_or(Recurrence()); }

// 进行中, 已结束 (past its end date or its number of occurrences), or 超出农历范围.
QString stateOf(const QVector<QVariant>& row)
{
    const auto rule = Recurrence::decode(row.value(Tf_zhouqi::ColRule).toString());
    const QDate start = QDate::fromString(row.value(Tf_zhouqi::ColStart).toString(), Qt::ISODate);
    if (!rule || !start.isValid())
        return QString();
    const QDate today = Clock::today();
    const int count = row.value(Tf_zhouqi::ColCount).toInt();
    const QDate end = QDate::fromString(row.value(Tf_zhouqi::ColEnd).toString(), Qt::ISODate);
    const QList<QDate> next = occurrences(*rule, start, today, today.addYears(2), count).mid(0, 1);
    // An end by count shows its last date, an end by date its count.
    QString bound;
    if (count > 0)
        bound = QStringLiteral("（共%1期，至%2）").arg(count).arg(dateText(nthOccurrence(*rule, start, count - 1)));
    else if (end.isValid())
        bound = QStringLiteral("（共%1期，至%2）").arg(occurrences(*rule, start, start, end).size()).arg(dateText(end));
    if (!next.isEmpty() && (!end.isValid() || next.first() <= end))
        return QStringLiteral("进行中") + bound;
    if (rule->isLunar() && occurrences(*rule, start, start, today.addYears(2), count).isEmpty())
        return QStringLiteral("超出农历范围");
    return QStringLiteral("已结束");
}
}  // namespace

Tf_zhouqi::Tf_zhouqi(QWidget* parent) : Page("f_zhouqi", parent)
{
    const struct {
        const char* name;
        const char* caption;
        int x, width;
        void (Tf_zhouqi::*slot)();
    } buttons[] = {
        {"Button1", "增加", 6, 60, &Tf_zhouqi::Button1Click},
        {"Button2", "删除", 70, 60, &Tf_zhouqi::Button2Click},
        {"Button3", "保存", 134, 60, &Tf_zhouqi::Button3Click},
        {"Button4", "规则…", 210, 70, &Tf_zhouqi::Button4Click},
        {"Button5", "待处理账单", kWidth - 6 - 96, 96, &Tf_zhouqi::Button5Click},
    };
    for (const auto& b : buttons)
        connect(button(this, b.name, QString::fromUtf8(b.caption), QRect(b.x, 8, b.width, 26)), &QPushButton::clicked,
                this, b.slot);
    label(this, QStringLiteral("双击“规则”一栏编辑规则；已入账的记录不随计划改变。"), QRect(290, 8, 360, 26), "Label1");
    m_model = new BatchModel(this);
    m_grid = grid(this, "DBGridEh1", QRect(3, 42, kWidth - 6, kHeight - 45), m_model);
    m_grid->setRowHeight(22);
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.column() == ColRuleText)
            Button4Click();
    });
    buildEditor();
    FormCreate();
}

bool Tf_zhouqi::FormCreate()
{
    DbError error;
    bool ok = m_model->setQuery(QString::fromUtf8(kPlans), {}, QStringLiteral("p_plan"), QStringLiteral("id"), &error);
    for (const Lookup& l : kLookups)
        ok = ok
             && m_model->insertLookupColumn(l.position, QString::fromUtf8(l.title), QString::fromLatin1(l.key),
                                            QString::fromUtf8(l.sql), QStringLiteral("id"), QStringLiteral("n"),
                                            &error);
    if (!ok) {
        Msg::dbError(this, error);
        return false;
    }
    m_model->setCalculated(ColRuleText, [](const QVector<QVariant>& row) {
        const auto rule = Recurrence::decode(row.value(ColRule).toString());
        return QVariant(rule ? rule->text() : QString());
    });
    m_model->setCalculated(ColState, [](const QVector<QVariant>& row) { return QVariant(stateOf(row)); });
    m_model->setMaxLength(ColName, 50);
    for (int c = ColId; c <= ColMode; ++c)
        m_grid->setColumnHidden(c, true);
    m_grid->setColumnWidths({0, 0, 0, 0, 0, 0, 0, 0, 0, 90, 50, 80, 80, 80, 70, 80, 70, 170, 96, 96, 50, 80, 90, 70});
    for (int c :
         {ColTypeName, ColCategory, ColAccount, ColToAccount, ColMember, ColVariesName, ColStart, ColEnd, ColModeName})
        m_grid->setEditButton(c);
    m_grid->setInputMethodClosed(ColAmount);
    return true;
}

bool Tf_zhouqi::query()
{
    DbError error;
    const bool ok = m_model->refresh(&error);
    if (!ok)
        Msg::dbError(this, error);
    return ok;
}

void Tf_zhouqi::buildEditor()
{
    BatchEditor::Setup s;
    s.subject = QStringLiteral("周期账单");
    s.keyColumn = ColId;
    s.addColumn = ColName;
    s.amountsPositive = true;
    const QDate today = Clock::today();
    s.preset = {{ColType, QStringLiteral("Z")},
                {ColVaries, 0},
                {ColMode, QStringLiteral("confirm")},
                {ColAhead, 0},
                {ColStart, today},
                {ColMemberId, LoggedInMemberId > 0 ? LoggedInMemberId : 1},
                {ColRule, Recurrence{Recurrence::Unit::Month, 1, 0, 1, today.day()}.encode()}};
    // What a plan needs to post, said by name.
    s.check = [this] {
        for (int r = 0; r < m_model->rowCount(); ++r) {
            if (!m_model->isPendingRow(r))
                continue;
            const auto has = [&](int c) {
                const QVariant v = m_model->raw(r, c);
                return v.isValid() && !v.isNull() && !v.toString().trimmed().isEmpty();
            };
            const bool transfer = m_model->raw(r, ColType).toString() == u"T";
            const bool varies = m_model->raw(r, ColVaries).toInt() == 1;
            QString missing;
            if (!has(ColName))
                missing = QStringLiteral("名称");
            else if (!transfer && !has(ColCategoryId))
                missing = QStringLiteral("类别");
            else if (!has(ColAccountId))
                missing = QStringLiteral("账户");
            else if (transfer && !has(ColToAccountId))
                missing = QStringLiteral("转入账户");
            else if (!transfer && !has(ColMemberId))
                missing = QStringLiteral("付款人");
            else if (!varies && !(m_model->raw(r, ColAmount).value<Money>() > Money()))
                missing = QStringLiteral("金额");
            else if (!m_model->raw(r, ColStart).toDate().isValid())
                missing = QStringLiteral("开始日期");
            if (!missing.isEmpty()) {
                Msg::error(this, QStringLiteral("对不起，请填写第%1行的%2").arg(r + 1).arg(missing));
                m_grid->setCurrentIndex(m_model->index(r, ColName));
                return false;
            }
        }
        // Saved plans changed: from which occurrence on the change holds.
        QStringList changed;
        for (int r = 0; r < m_model->rowCount(); ++r)
            if (m_model->isPendingRow(r) && !m_model->isNewRow(r))
                changed << m_model->originalRaw(r, ColName).toString();
        m_scope = 3;
        if (changed.isEmpty())
            return true;
        m_scope = Msg::chooseWay(
            this, QStringLiteral("修改周期账单“%1”：请选择修改的范围").arg(changed.join(QStringLiteral("”、“"))),
            {QStringLiteral("仅本期"), QStringLiteral("本期及以后"), QStringLiteral("全部未入账")});
        return m_scope != 0;
    };
    s.extraWrite = [this](Database& db, DbError* error) { return applyScope(db, error); };
    s.reread = [this] { return query(); };
    s.askDelete = [this](int row) {
        return Msg::confirm(this, QStringLiteral("是否确定删除周期账单“%1”？已入账的记录不受影响。")
                                      .arg(m_model->raw(row, ColName).toString()));
    };
    s.removeSaved = BatchEditor::deleteThrough(this, [](Database& db, qint64 id, DbError* e) {
        return runSteps(db, {{"delete from p_plan where id=:id", {{":id", id}}}}, e);
    });
    m_editor = new BatchEditor(this, m_grid, m_model, std::move(s));
}

Plan Tf_zhouqi::planOfRow(int row, bool stored) const
{
    const auto v = [&](int c) { return stored ? m_model->originalRaw(row, c) : m_model->raw(row, c); };
    Plan p;
    p.id = v(ColId).toLongLong();
    p.rule = ruleOf(v(ColRule));
    p.start = v(ColStart).toDate();
    p.end = v(ColEnd).toDate();
    p.count = v(ColCount).toInt();
    return p;
}

// 本期 is the plan's first occurrence not handled yet. 本期及以后: the plan
// as it was ends the day before it (and keeps what was handled), the
// changed plan starts there. 仅本期: a one-off plan with the changes takes
// that occurrence, the plan goes back to what it was and skips it.
bool Tf_zhouqi::applyScope(Database& db, DbError* error)
{
    if (m_scope == 3)
        return true;
    static const char* const fields[] = {"p_type", "f_id",   "z_id",    "z_id2",   "u_id",  "p_rule",  "p_varies",
                                         "p_mode", "p_name", "p_money", "p_start", "p_end", "p_count", "p_ahead"};
    static const int columns[]
        = {ColType, ColCategoryId, ColAccountId, ColToAccountId, ColMemberId, ColRule,  ColVaries,
           ColMode, ColName,       ColAmount,    ColStart,       ColEnd,      ColCount, ColAhead};
    auto run = [&](const QString& sql, const QList<QPair<QString, QVariant>>& binds) {
        Query q(db, sql);
        for (const auto& [name, value] : binds)
            q.bindValue(name.toLatin1().constData(), value);
        if (!q.exec()) {
            if (error)
                *error = q.error();
            return false;
        }
        return true;
    };
    QString names, params;
    for (const char* f : fields) {
        names += (names.isEmpty() ? "" : ",") + QLatin1String(f);
        params += (params.isEmpty() ? ":" : ",:") + QLatin1String(f);
    }
    for (int r = 0; r < m_model->rowCount(); ++r) {
        if (!m_model->isPendingRow(r) || m_model->isNewRow(r))
            continue;
        const Plan before = planOfRow(r, true);
        QDate next;
        int handled = 0;
        if (!firstUnhandled(db, before, &next, &handled, error))
            return false;
        if (!next.isValid())
            continue;  // an ended plan: the change is all there is
        // A copy of the row as stored (本期及以后) or as changed (仅本期).
        QList<QPair<QString, QVariant>> binds;
        for (int i = 0; i < int(std::size(fields)); ++i)
            binds.append({QLatin1Char(':') + QLatin1String(fields[i]),
                          m_scope == 2 ? m_model->originalRaw(r, columns[i]) : m_model->raw(r, columns[i])});
        if (!run(QStringLiteral("insert into p_plan (%1) values (%2)").arg(names, params), binds))
            return false;
        const qint64 copy = db.lastInsertId();
        const qint64 id = before.id;
        if (m_scope == 2) {
            const QVariant left = before.count > 0 ? QVariant(before.count - handled) : QVariant();
            if (!run(QStringLiteral("update p_plan set p_end=:e, p_count=NULL where id=:c"),
                     {{":e", next.addDays(-1)}, {":c", copy}})
                || !run(QStringLiteral("update p_done set p_id=:c where p_id=:p and o_date<:n"),
                        {{":c", copy}, {":p", id}, {":n", next}})
                || !run(QStringLiteral("update p_plan set p_start=max(p_start, :n), p_count=:k where id=:p"),
                        {{":n", next}, {":k", left}, {":p", id}}))
                return false;
        } else {
            QString back;
            for (const char* f : fields)
                back += (back.isEmpty() ? "" : ",") + QLatin1String(f) + QLatin1String("=:") + QLatin1String(f);
            binds.clear();
            for (int i = 0; i < int(std::size(fields)); ++i)
                binds.append({QLatin1Char(':') + QLatin1String(fields[i]), m_model->originalRaw(r, columns[i])});
            binds.append({QStringLiteral(":id"), id});
            if (!run(QStringLiteral("update p_plan set p_start=:n, p_count=1, p_end=NULL where id=:c"),
                     {{":n", next}, {":c", copy}})
                || !run(QStringLiteral("update p_plan set %1 where id=:id").arg(back), binds)
                || !run(QStringLiteral("insert into p_done (p_id, o_date, d_state) values (:p, :o, 'skipped')"),
                        {{":p", id}, {":o", next}}))
                return false;
        }
    }
    return true;
}

void Tf_zhouqi::Button1Click() { m_editor->add(); }
void Tf_zhouqi::Button2Click() { m_editor->remove(); }
void Tf_zhouqi::Button3Click() { m_editor->saveClicked(); }

void Tf_zhouqi::Button4Click()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) {
        Msg::error(this, QStringLiteral("对不起，请先选择一个周期账单"));
        return;
    }
    const int row = current.row();
    RuleEditor editor(ruleOf(m_model->raw(row, ColRule)), m_model->raw(row, ColStart).toDate(), this);
    if (editor.exec() == QDialog::Accepted)
        m_model->setRaw(row, ColRule, editor.rule().encode());
}

void Tf_zhouqi::Button5Click()
{
    if (!m_editor->settle())
        return;
    Tf_daichuli::afterLogin(this);
    (void)query();
}
