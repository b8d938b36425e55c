#include "recurring/Tf_daichuli.h"

#include "data/Clock.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"
#include "ui/Page.h"
#include "ui/Roles.h"
#include "ui/WaitCursor.h"

#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

const char* const kChoices[] = {"入账", "跳过", "推迟"};

// id -> name of a table's rows, for the grid's texts.
QHash<qint64, QString> namesOf(const char* sql)
{
    QHash<qint64, QString> out;
    Query q(QString::fromLatin1(sql));
    while (q.next())
        out.insert(q.integer(0), q.text(1));
    return out;
}

// A 选择 cell: the choice's name shown, its number kept, the three offered.
class DueModel : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;
    bool setData(const QModelIndex& i, const QVariant& v, int role = Qt::EditRole) override
    {
        if (i.column() != Tf_daichuli::ColChoice || role != Qt::EditRole)
            return QStandardItemModel::setData(i, v, role);
        const int c = v.toInt();
        if (c < 0 || c > 2)
            return false;
        QStandardItemModel::setData(i, c, Roles::Value);
        return QStandardItemModel::setData(i, QString::fromUtf8(kChoices[c]), Qt::DisplayRole);
    }
};

}  // namespace

Tf_daichuli::Tf_daichuli(const QList<Plan>& plans, const QList<DueOccurrence>& due, QWidget* parent)
    : QDialog(parent),
      m_plans(plans)
{
    setObjectName(QStringLiteral("f_daichuli"));
    setWindowTitle(QStringLiteral("待处理周期账单"));
    resize(760, 420);
    for (const DueOccurrence& d : due) {
        const Plan* p = findPlan(plans, d.plan);
        const bool varies = !p || !p->amount;
        m_rows.append(
            {d, varies ? QString() : p->amount->plain(), p && p->mode == Plan::Mode::RemindOnly ? Later : Post});
    }
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("以下周期账单已到期（共 %1 期）。金额可以修改，金额不固定的请填写；"
                                            "推迟的下次启动时再提醒。")
                                 .arg(m_rows.size()),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_model = new DueModel(0, 7, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("日期"), QStringLiteral("周期账单"), QStringLiteral("类别"),
                                        QStringLiteral("账户"), QStringLiteral("付款人"), QStringLiteral("金额"),
                                        QStringLiteral("处理")});
    m_grid = Page::grid(this, "DBGridEh1", QRect(), m_model);
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_grid->setFitColumns(true);
    layout->addWidget(m_grid);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) { unfold(i.row()); });
    auto* buttons = new QHBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        void (Tf_daichuli::*slot)();
    } defs[] = {{"Button1", "全部入账", &Tf_daichuli::Button1Click},
                {"Button2", "全部跳过", &Tf_daichuli::Button2Click},
                {"Button3", "确定", &Tf_daichuli::Button3Click}};
    buttons->addStretch();
    for (const auto& d : defs) {
        auto* b = new QPushButton(QString::fromUtf8(d.caption), this);
        b->setObjectName(QString::fromLatin1(d.name));
        connect(b, &QPushButton::clicked, this, d.slot);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    fill();
}

void Tf_daichuli::fill()
{
    const auto categories = namesOf("select id, f_name from s_fenlei");
    const auto accounts = namesOf("select id, z_name from z_zhanghu");
    const auto members = namesOf("select id, sys_name from s_user");
    m_model->removeRows(0, m_model->rowCount());
    QHash<qint64, int> shown;
    for (int r = 0; r < m_rows.size(); ++r) {
        const Row& row = m_rows[r];
        const Plan* p = findPlan(m_plans, row.due.plan);
        if (!p)
            continue;
        const int n = shown[p->id]++;
        if (n >= kFoldAfter && !m_unfolded.contains(p->id)) {
            if (n == kFoldAfter) {
                int rest = 0;
                for (const Row& o : std::as_const(m_rows))
                    rest += o.due.plan == p->id;
                auto* fold = new QStandardItem(QStringLiteral("另有 %1 期（双击展开）").arg(rest - kFoldAfter));
                fold->setData(-p->id, Roles::Value);
                fold->setEditable(false);
                QList<QStandardItem*> line{fold};
                for (int c = ColPlan; c <= ColChoice; ++c) {
                    auto* i = new QStandardItem(c == ColPlan ? p->name : QString());
                    i->setEditable(false);
                    line << i;
                }
                m_model->appendRow(line);
            }
            continue;
        }
        const bool transfer = p->type == 'T';
        QList<QStandardItem*> line{
            new QStandardItem(dateText(row.due.recordDate)),
            new QStandardItem(p->name),
            new QStandardItem(transfer ? QStringLiteral("转入 ") + accounts.value(p->toAccount)
                                       : categories.value(p->category)),
            new QStandardItem(accounts.value(p->account)),
            new QStandardItem(transfer ? QString() : members.value(p->member)),
            new QStandardItem(row.amount),
            new QStandardItem(QString::fromUtf8(kChoices[row.choice])),
        };
        line[ColDate]->setData(r, Roles::Value);
        for (QStandardItem* i : line)
            i->setEditable(false);
        line[ColAmount]->setEditable(true);
        line[ColAmount]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line[ColChoice]->setEditable(true);
        line[ColChoice]->setData(int(row.choice), Roles::Value);
        // 仅提醒 plans never post.
        QVariantList choices;
        for (int c = p->mode == Plan::Mode::RemindOnly ? Skip : Post; c <= Later; ++c)
            choices << QVariant(QVariantList{c, QString::fromUtf8(kChoices[c])});
        line[ColChoice]->setData(choices, Roles::Choices);
        m_model->appendRow(line);
    }
}

// The grid's amounts and choices back into the rows.
void Tf_daichuli::takeEdits()
{
    m_grid->commitPendingEdit();
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const QVariant index = m_model->item(r, ColDate)->data(Roles::Value);
        if (!index.isValid() || index.toLongLong() < 0)
            continue;
        Row& row = m_rows[index.toInt()];
        row.amount = m_model->item(r, ColAmount)->text().trimmed();
        row.choice = Choice(m_model->item(r, ColChoice)->data(Roles::Value).toInt());
    }
}

void Tf_daichuli::unfold(int planRow)
{
    const QVariant v = m_model->item(planRow, ColDate)->data(Roles::Value);
    if (!v.isValid() || v.toLongLong() >= 0)
        return;
    takeEdits();
    m_unfolded << -v.toLongLong();
    fill();
}

void Tf_daichuli::setAll(Choice c)
{
    takeEdits();
    for (Row& r : m_rows) {
        const Plan* p = findPlan(m_plans, r.due.plan);
        r.choice = c == Post && p && p->mode == Plan::Mode::RemindOnly ? Later : c;
    }
    fill();
}

void Tf_daichuli::Button1Click() { setAll(Post); }
void Tf_daichuli::Button2Click() { setAll(Skip); }

void Tf_daichuli::Button3Click()
{
    takeEdits();
    QList<Handling> handlings;
    for (const Row& r : std::as_const(m_rows)) {
        if (r.choice == Later)
            continue;
        Money amount;
        if (r.choice == Post) {
            const auto m = Money::parse(r.amount);
            const Plan* p = findPlan(m_plans, r.due.plan);
            if (!m || !(*m > Money()) || *m > kMaxRecordAmount) {
                Msg::error(
                    this,
                    QStringLiteral("请填写“%1”%2的金额").arg(p ? p->name : QString(), dateText(r.due.recordDate)));
                return;
            }
            amount = *m;
        }
        handlings.append({r.due, r.choice == Post, amount});
    }
    if (!handlings.isEmpty()) {
        DbError error;
        bool ok;
        {
            WaitCursor wait;
            ok = handleOccurrences(Database::shared(), m_plans, handlings, &error);
        }
        if (!ok) {
            Msg::dbError(this, error);
            return;
        }
    }
    accept();
}

bool Tf_daichuli::afterLogin(QWidget* parent)
{
    QList<Plan> plans;
    QList<DueOccurrence> due;
    DbError error;
    int count = 0;
    if (!dueCount(Database::shared(), Clock::today(), &count, &error)) {
        Msg::dbError(parent, error);
        return false;
    }
    if (count == 0)
        return false;
    if (!readPlans(Database::shared(), &plans, &error)
        || !dueOccurrences(Database::shared(), plans, Clock::today(), &due, &error)) {
        Msg::dbError(parent, error);
        return false;
    }
    // 自动入账: what is due by today posts without asking, said once.
    QList<Handling> automatic;
    QList<DueOccurrence> asked;
    QStringList told;
    for (const DueOccurrence& d : std::as_const(due)) {
        const Plan* p = findPlan(plans, d.plan);
        if (p && p->mode == Plan::Mode::Auto && p->amount && d.occurrence <= Clock::today()) {
            automatic.append({d, true, *p->amount});
            told << QStringLiteral("%1  %2  %3").arg(dateText(d.recordDate), p->name, p->amount->twoDecimals());
        } else {
            asked.append(d);
        }
    }
    if (!automatic.isEmpty()) {
        int posted = 0;
        if (!handleOccurrences(Database::shared(), plans, automatic, &error, &posted)) {
            Msg::dbError(parent, error);
            return false;
        }
        if (posted > 0)
            Msg::info(parent, QStringLiteral("已自动入账 %1 笔周期账单").arg(posted), told.join(u'\n'));
    }
    bool written = !automatic.isEmpty();
    if (!asked.isEmpty()) {
        Tf_daichuli dialog(plans, asked, parent);
        written = dialog.exec() == QDialog::Accepted || written;
    }
    return written;
}
