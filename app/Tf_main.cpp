#include "app/Tf_main.h"

#include "data/Budgets.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "recurring/Plans.h"
#include "recurring/Tf_daichuli.h"
#include "ui/Charts.h"
#include "ui/ClickLabel.h"
#include "ui/Msg.h"
#include "ui/Theme.h"

#include <QChartView>
#include <QGraphicsLayout>
#include <QHorizontalBarSeries>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QValueAxis>
#include <optional>

namespace {

// The background picture: group frames and the captions of the figures.
class DesktopBackground : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), Theme::cream);
        auto group = [&](const QRect& r, const QString& caption) {
            p.setPen(QPen(Theme::wheat, 1));
            p.setBrush(Qt::white);
            p.drawRoundedRect(r, 6, 6);
            p.setFont(Theme::heiti(13, true));
            const int w = p.fontMetrics().horizontalAdvance(caption) + 12;
            p.fillRect(QRect(r.left() + 10, r.top() - 8, w, 16), Theme::cream);
            p.setPen(Theme::chestnut);
            p.drawText(QRect(r.left() + 16, r.top() - 8, w, 16), Qt::AlignVCenter, caption);
        };
        auto caption = [&](int x, int y, const QString& t) {
            p.setFont(Theme::songti(13));
            p.setPen(Theme::ink);
            p.drawText(QRect(x, y, 220, 25), Qt::AlignVCenter | Qt::AlignLeft, t);
        };
        group(QRect(40, 70, 400, 190), QStringLiteral("资产类"));
        caption(70, 96, QStringLiteral("资金"));
        caption(70, 153, QStringLiteral("债权"));
        p.setPen(QPen(Theme::wheat, 1, Qt::DashLine));
        p.drawLine(60, 200, 420, 200);
        caption(70, 215, QStringLiteral("资产总计(单位：人民币)"));
        group(QRect(40, 272, 400, 100), QStringLiteral("负债类"));
        caption(70, 283, QStringLiteral("债务"));
        caption(70, 336, QStringLiteral("净资产＝资产类－负债类"));
        group(QRect(40, 390, 380, 90), QStringLiteral("本月收支"));
        caption(150, 404, QStringLiteral("收入"));
        caption(150, 453, QStringLiteral("支出"));
        group(QRect(450, 390, 315, 90), QStringLiteral("上月收支"));
        caption(540, 407, QStringLiteral("收入"));
        caption(540, 452, QStringLiteral("支出"));
        group(QRect(464, 48, 305, 160), QStringLiteral("消费类别排行榜"));
        group(QRect(464, 222, 305, 148), QStringLiteral("收入类别排行榜"));
    }
};

}  // namespace

const int kRankingBars = 5;

// A month's sum of one class: its monthly sums whose member and account exist.
const char* const kDesktopMonthSql
    = "select sum(g.h_jine) from h_yue as g inner join s_user on s_user.id = g.s_userid"
      " inner join z_zhanghu on z_zhanghu.id = g.s_zhanghuid"
      " where g.h_month = :m and g.f_fenleiid in (select id from v_fenlei where f_class=:c)";

// Every category's sum of all time, largest first (ties by category id).
// The monthly sums are summed per category, member and account; only those
// few groups meet the member and account tables, so the joins keep exactly
// the records of s_z_all. The page keeps the first five rows and the ties of
// the fifth (topWithTies).
const char* const kDesktopRankingSql
    = "select v_fenlei.f_name as xxname, t.jine from "
      " (select g.fid as fid, sum(g.jine) as jine from"
      "   (select f_fenleiid as fid, s_userid as uid, s_zhanghuid as zid, sum(h_jine) as jine from h_yue"
      "     where f_fenleiid in (select id from v_fenlei where f_class=:c)"
      "     group by f_fenleiid, s_userid, s_zhanghuid) as g"
      "   inner join s_user on g.uid = s_user.id"
      "   inner join z_zhanghu on g.zid = z_zhanghu.id"
      "   group by g.fid) as t"
      " inner join v_fenlei on v_fenlei.id = t.fid"
      " order by t.jine desc, t.fid";

Tf_main::Tf_main(QWidget* parent) : Page("f_main", parent)
{
    setWindowTitle(QStringLiteral("桌面"));
    auto* bg = new DesktopBackground(this);
    bg->setGeometry(rect());
    buildNote();
    buildFigures();
    buildNoteEditor();
    // Made after the others: their creation order stays.
    m_due = new ClickLabel(this);
    m_due->setObjectName(QStringLiteral("Label40"));
    m_due->setGeometry(40, 40, 400, 20);
    m_due->setStyleSheet(QStringLiteral("color: #b03a2e; text-decoration: underline; background: transparent;"));
    m_due->hide();
    connect(m_due, &ClickLabel::clicked, this, [this] {
        if (Tf_daichuli::afterLogin(this))
            FormCreate();
        else
            showDue();
    });
    buildBudget();
    FormCreate();
}

void Tf_main::buildBudget()
{
    // Right of the due link, between the note and the 资产类 frame, flush
    // with the frame's right edge: no figure or caption under it.
    m_budget = new QWidget(this);
    m_budget->setObjectName(QStringLiteral("Panel2"));
    m_budget->setGeometry(188, 37, 252, 32);
    m_budgetLine1 = label(m_budget, QString(), QRect(0, 0, 252, 16), "Label41");
    m_budgetLine2 = label(m_budget, QString(), QRect(0, 16, 252, 16), "Label42");
    for (QLabel* l : {m_budgetLine1, m_budgetLine2}) {
        l->setFont(Theme::songti(12));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    Theme::setColour(m_budgetLine1, Theme::ink);
    m_budget->hide();
}

void Tf_main::showBudget()
{
    m_budget->hide();
    const QDate today = Clock::today();
    MonthBudget month;
    DbError error;
    if (!monthBudget(Database::shared(), today, &month, &error))
        return Msg::dbError(this, error);
    if (!month.budgeted)
        return;
    const Money left = month.amount - month.spent;
    m_budgetLine1->setText(
        QStringLiteral("本月预算 %1，已用 %2").arg(month.amount.yuanGrouped(), month.spent.yuanGrouped()));
    if (left.raw() < 0) {
        m_budgetLine2->setText(QStringLiteral("已超支 %1").arg((-left).yuanGrouped()));
        Theme::setColour(m_budgetLine2, Qt::red);
    } else {
        m_budgetLine2->setText(
            QStringLiteral("剩余 %1，日均可用 %2").arg(left.yuanGrouped(), perDayLeft(left, today).yuanGrouped()));
        Theme::setColour(m_budgetLine2, Theme::ink);
    }
    m_budget->show();
}

void Tf_main::showDue()
{
    int due = 0;
    DbError error;
    if (!dueCount(Database::shared(), Clock::today(), &due, &error))
        return Msg::dbError(this, error);
    m_due->setText(QStringLiteral("待处理周期账单 %1 笔").arg(due));
    m_due->setVisible(due > 0);
}

void Tf_main::buildNote()
{
    m_note = label(this, QStringLiteral("Label2"), QRect(16, 16, 697, 20), "Label2");
    m_note->setFont(Theme::songti(14));
    Theme::setColour(m_note, Theme::chestnut);
    auto* edit = new ClickLabel(QStringLiteral("编辑"), this);
    edit->setObjectName(QStringLiteral("Label1"));
    edit->move(738, 16);
    edit->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline; background: transparent;"));
    edit->adjustSize();
    connect(edit, &ClickLabel::clicked, this, &Tf_main::Label1Click);
}

void Tf_main::buildFigures()
{
    m_fig[1] = figure("La1", 293, 96);
    m_fig[2] = figure("La2", 293, 153);
    m_fig[3] = figure("La3", 293, 215);
    m_fig[4] = figure("La4", 293, 283);
    m_fig[5] = figure("La5", 293, 340, 17);
    m_fig[6] = figure("La6", 251, 404);
    m_fig[7] = figure("La7", 251, 453);
    m_fig[8] = figure("La8", 619, 407);
    m_fig[9] = figure("La9", 619, 452);

    m_expenseRanking = Charts::makeView(this, QStringLiteral("Chart1"));
    m_expenseRanking->setGeometry(473, 60, 295, 142);
    m_incomeRanking = Charts::makeView(this, QStringLiteral("Chart2"));
    m_incomeRanking->setGeometry(472, 234, 295, 130);
}

void Tf_main::buildNoteEditor()
{
    m_editor = new QWidget(this);
    m_editor->setObjectName(QStringLiteral("Panel1"));
    m_editor->setGeometry(7, 8, 758, 93);
    m_editor->setAttribute(Qt::WA_StyledBackground);
    m_editor->setStyleSheet(
        QStringLiteral("#Panel1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdf8ef, stop:1 #f3e3c8);"
                       " border: 1px solid %1; border-radius: 6px; }")
            .arg(Theme::css(Theme::sand)));
    auto* cap = label(m_editor, QStringLiteral("个性签名设置"), QRect(21, 6, 200, 18));
    cap->setStyleSheet(
        QStringLiteral("color: %1; font-weight: bold; background: transparent;").arg(Theme::css(Theme::chestnut)));
    m_noteEdit = lineEdit(m_editor, "Edit6", QRect(21, 28, 720, 15));
    m_noteEdit->setFrame(false);
    m_noteEdit->setStyleSheet(
        QStringLiteral("QLineEdit { border: none; border-bottom: 1px solid %1; padding: 0; background: white; }")
            .arg(Theme::css(Theme::sand)));
    // Enter saves, Escape cancels.
    connect(m_noteEdit, &QLineEdit::returnPressed, this, &Tf_main::Button57Click);
    m_noteEdit->installEventFilter(this);
    connect(button(m_editor, "Button52", QStringLiteral("取消"), QRect(580, 56, 75, 27)), &QPushButton::clicked, this,
            &Tf_main::Button52Click);
    connect(button(m_editor, "Button57", QStringLiteral("确定"), QRect(666, 56, 75, 27)), &QPushButton::clicked, this,
            &Tf_main::Button57Click);
    m_editor->hide();
}

QLabel* Tf_main::figure(const char* name, int x, int y, int h)
{
    QLabel* l = label(this, QString::fromLatin1(name).replace(QStringLiteral("La"), QStringLiteral("L")),
                      QRect(x, y, 137, h), name);
    l->setFont(Theme::heiti(14, true));
    Theme::setColour(l, QColor(0, 128, 0));
    return l;
}

void Tf_main::FormCreate()
{
    Query note(QStringLiteral("select daytxt from sys_sys"));
    if (note.fetch() == Query::Fetch::Failed)
        return Msg::dbError(this, note.error());
    showNote(note.text(0));

    Query acc(QStringLiteral("select sum(z_jieru) as 借入,sum(z_jiechu) as 借出,sum(z_yue) as 余额 from z_zhanghu"));
    if (acc.fetch() != Query::Fetch::Row)
        return Msg::dbError(this, acc.error());
    // With no accounts the three sums are empty; they add up as 0.
    const auto balance = acc.moneyOrNull(2), lent = acc.moneyOrNull(1), borrowed = acc.moneyOrNull(0);
    m_fig[1]->setText(plainOrEmpty(balance));
    m_fig[2]->setText(plainOrEmpty(lent));
    m_fig[4]->setText(plainOrEmpty(borrowed));
    const Money assets = balance.value_or(Money()) + lent.value_or(Money());
    m_fig[3]->setText(assets.plain());
    m_fig[5]->setText((assets - borrowed.value_or(Money())).plain());

    // Month sums over a date range, so the date index serves them.
    const QDate today = Clock::today();
    const QDate thisMonth = firstDayOfMonth(today), lastMonth = previousMonth(today);
    Query month(QString::fromUtf8(kDesktopMonthSql));
    auto monthSum = [&](const QDate& first, const char* cls, QLabel* target) {
        month.bind(":m", first.toString(QStringLiteral("yyyy-MM"))).bind(":c", QString::fromLatin1(cls));
        switch (month.fetch()) {
        case Query::Fetch::Failed: Msg::dbError(this, month.error()); return false;
        case Query::Fetch::Row: target->setText(plainOrEmpty(month.moneyOrNull(0))); break;
        case Query::Fetch::NoRow: target->clear(); break;
        }
        month.reset();
        return true;
    };
    if (!monthSum(thisMonth, "S", m_fig[6]) || !monthSum(thisMonth, "Z", m_fig[7])
        || !monthSum(lastMonth, "S", m_fig[8]) || !monthSum(lastMonth, "Z", m_fig[9]))
        return;

    if (!fillRanking(m_expenseRanking, "Z", QColor(166, 202, 240)))
        return;
    if (!fillRanking(m_incomeRanking, "S", QColor(192, 220, 192)))
        return;
    showDue();
    showBudget();
}

bool Tf_main::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_noteEdit && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Button52Click();
        return true;
    }
    return Page::eventFilter(watched, event);
}

bool Tf_main::fillRanking(QChartView* chart, const char* cls, const QColor& colour)
{
    Query q(QString::fromUtf8(kDesktopRankingSql));
    q.bind(":c", QString::fromLatin1(cls));
    QStringList names;
    QList<double> values;
    std::optional<Money> fifth;
    // Five bars, and every further one that ties with the fifth.
    while (q.next()) {
        const Money sum = q.money(1);
        if (fifth && sum < *fifth)
            break;
        names << q.text(0);
        values << sum.toDouble();
        if (names.size() == kRankingBars)
            fifth = sum;
    }
    if (!q.ok()) {
        Msg::dbError(this, q.error());
        return false;
    }
    Charts::setHorizontalBars(chart, names, values, colour);
    return true;
}

void Tf_main::showNote(const QString& note)
{
    // A long note is cut with "…" and shows in full as the tool tip.
    m_noteText = note;
    const QString shown = m_note->fontMetrics().elidedText(note, Qt::ElideRight, m_note->width());
    m_note->setText(shown);
    m_note->setToolTip(shown == note ? QString() : note);
}

void Tf_main::Label1Click()
{
    m_noteEdit->setText(m_noteText);  // the stored note, never the shortened one
    m_editor->show();
    m_editor->raise();
    m_noteEdit->setFocus();
}

void Tf_main::Button52Click() { m_editor->hide(); }

void Tf_main::Button57Click()
{
    m_editor->hide();
    Query q(QStringLiteral("update sys_sys set daytxt=:t"));
    q.bind(":t", m_noteEdit->text());
    if (!q.exec()) {
        Msg::dbError(this, q.error());
        // What was typed is not lost: the editor comes back with it.
        m_editor->show();
        m_editor->raise();
        m_noteEdit->setFocus();
        return;
    }
    showNote(m_noteEdit->text());
}
