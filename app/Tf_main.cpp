#include "app/Tf_main.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "ui/Charts.h"
#include "ui/ClickLabel.h"
#include "ui/Msg.h"

#include <QChartView>
#include <QHorizontalBarSeries>
#include <QGraphicsLayout>
#include <QValueAxis>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

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
        p.fillRect(rect(), QColor(0xfe, 0xfc, 0xf8));
        const QColor frame(0xe2, 0xc9, 0xa4), title(0x8a, 0x4b, 0x1f), text(0x4a, 0x3a, 0x2a);
        auto group = [&](const QRect& r, const QString& caption) {
            p.setPen(QPen(frame, 1));
            p.setBrush(Qt::white);
            p.drawRoundedRect(r, 6, 6);
            QFont f(QStringLiteral("黑体"));
            f.setPixelSize(13);
            f.setBold(true);
            p.setFont(f);
            const int w = p.fontMetrics().horizontalAdvance(caption) + 12;
            p.fillRect(QRect(r.left() + 10, r.top() - 8, w, 16), QColor(0xfe, 0xfc, 0xf8));
            p.setPen(title);
            p.drawText(QRect(r.left() + 16, r.top() - 8, w, 16), Qt::AlignVCenter, caption);
        };
        auto caption = [&](int x, int y, const QString& t) {
            QFont f(QStringLiteral("宋体"));
            f.setPixelSize(13);
            p.setFont(f);
            p.setPen(text);
            p.drawText(QRect(x, y, 220, 25), Qt::AlignVCenter | Qt::AlignLeft, t);
        };
        group(QRect(40, 70, 400, 190), QStringLiteral("资产类"));
        caption(70, 96, QStringLiteral("资金"));
        caption(70, 153, QStringLiteral("债权"));
        p.setPen(QPen(frame, 1, Qt::DashLine));
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

QString sumText(Query& q)
{
    return q.next() ? plainOrEmpty(q.moneyOrNull(0)) : QString();
}

// An empty sum reads as 0 where the figures are added up.
double numberOf(const QString& text)
{
    return text.isEmpty() ? 0.0 : text.toDouble();
}

} // namespace

const char* const kDesktopMonthSql =
    "select sum(s_jine) from s_z_all where s_date between :t1 and :t2 and f_class=:c";

// The five largest categories of all time, ties with the fifth included.
// Records are summed per category id through the covering index first;
// the member and account joins keep exactly the records of s_z_all.
const char* const kDesktopRankingSql =
    "select v_fenlei.f_name as xxname, t.jine from "
    " (select s_shouru.f_fenleiid as fid, sum(s_shouru.s_jine) as jine from s_shouru"
    "   inner join s_user on s_shouru.s_userid = s_user.id"
    "   inner join z_zhanghu on s_shouru.s_zhanghuid = z_zhanghu.id"
    "   where s_shouru.f_fenleiid in (select id from v_fenlei where f_class=:c)"
    "   group by s_shouru.f_fenleiid) as t"
    " inner join v_fenlei on v_fenlei.id = t.fid"
    " where t.jine >= coalesce((select sum(s2.s_jine) as j from s_shouru as s2"
    "   inner join s_user as u2 on s2.s_userid = u2.id"
    "   inner join z_zhanghu as z2 on s2.s_zhanghuid = z2.id"
    "   where s2.f_fenleiid in (select id from v_fenlei where f_class=:c)"
    "   group by s2.f_fenleiid order by j desc limit 1 offset 4), -9223372036854775808)"
    " order by t.jine desc";

Tf_main::Tf_main(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("f_main"));
    setWindowTitle(QStringLiteral("桌面"));
    setFixedSize(773, 486);
    auto* bg = new DesktopBackground(this);
    bg->setGeometry(rect());

    m_note = new QLabel(QStringLiteral("Label2"), this);
    m_note->setObjectName(QStringLiteral("Label2"));
    m_note->setGeometry(16, 16, 697, 20);
    QFont nf(QStringLiteral("宋体"));
    nf.setPixelSize(14);
    m_note->setFont(nf);
    m_note->setStyleSheet(QStringLiteral("color: #8a4b1f; background: transparent;"));
    auto* edit = new ClickLabel(QStringLiteral("编辑"), this);
    edit->setObjectName(QStringLiteral("Label1"));
    edit->move(738, 16);
    edit->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline; background: transparent;"));
    edit->adjustSize();
    connect(edit, &ClickLabel::clicked, this, &Tf_main::Label1Click);

    m_fig[1] = figure("La1", 293, 96);
    m_fig[2] = figure("La2", 293, 153);
    m_fig[3] = figure("La3", 293, 215);
    m_fig[4] = figure("La4", 293, 283);
    m_fig[5] = figure("La5", 293, 340, 17);
    m_fig[6] = figure("La6", 251, 404);
    m_fig[7] = figure("La7", 251, 453);
    m_fig[8] = figure("La8", 619, 407);
    m_fig[9] = figure("La9", 619, 452);

    m_chart1 = Charts::makeView(this, QStringLiteral("Chart1"));
    m_chart1->setGeometry(473, 60, 295, 142);
    m_chart2 = Charts::makeView(this, QStringLiteral("Chart2"));
    m_chart2->setGeometry(472, 234, 295, 130);

    m_editor = new QWidget(this);
    m_editor->setObjectName(QStringLiteral("Panel1"));
    m_editor->setGeometry(7, 8, 758, 93);
    m_editor->setAttribute(Qt::WA_StyledBackground);
    m_editor->setStyleSheet(QStringLiteral(
        "#Panel1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdf8ef, stop:1 #f3e3c8);"
    " border: 1px solid #c9a77c; border-radius: 6px; }"));
    auto* cap = new QLabel(QStringLiteral("个性签名设置"), m_editor);
    cap->setGeometry(21, 6, 200, 18);
    cap->setStyleSheet(QStringLiteral("color: #8a4b1f; font-weight: bold; background: transparent;"));
    m_noteEdit = new QLineEdit(m_editor);
    m_noteEdit->setObjectName(QStringLiteral("Edit6"));
    m_noteEdit->setGeometry(21, 28, 720, 15);
    m_noteEdit->setFrame(false);
    m_noteEdit->setStyleSheet(QStringLiteral("QLineEdit { border: none; border-bottom: 1px solid #c9a77c; padding: 0; background: white; }"));
    auto* cancel = new QPushButton(QStringLiteral("取消"), m_editor);
    cancel->setObjectName(QStringLiteral("Button52"));
    cancel->setGeometry(580, 56, 75, 27);
    connect(cancel, &QPushButton::clicked, this, &Tf_main::Button52Click);
    auto* ok = new QPushButton(QStringLiteral("确定"), m_editor);
    ok->setObjectName(QStringLiteral("Button57"));
    ok->setGeometry(666, 56, 75, 27);
    connect(ok, &QPushButton::clicked, this, &Tf_main::Button57Click);
    m_editor->hide();

    FormCreate();
}

QLabel* Tf_main::figure(const char* name, int x, int y, int h)
{
    auto* l = new QLabel(QString::fromLatin1(name).replace(QStringLiteral("La"), QStringLiteral("L")), this);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, 137, h);
    QFont f(QStringLiteral("黑体"));
    f.setPixelSize(14);
    f.setBold(true);
    l->setFont(f);
    l->setStyleSheet(QStringLiteral("color: rgb(0, 128, 0); background: transparent;"));
    return l;
}

void Tf_main::FormCreate()
{
    Query note(QStringLiteral("select daytxt from sys_sys"));
    if (!note.next() && !note.ok())
        return Msg::dbError(this, note.error());
    m_note->setText(note.text(0));
    m_noteEdit->setText(m_note->text());

    Query acc(QStringLiteral("select sum(z_jieru) as 借入,sum(z_jiechu) as 借出,sum(z_yue) as 余额 from z_zhanghu"));
    if (!acc.next())
        return Msg::dbError(this, acc.error());
    m_fig[1]->setText(plainOrEmpty(acc.moneyOrNull(2)));
    m_fig[2]->setText(plainOrEmpty(acc.moneyOrNull(1)));
    m_fig[4]->setText(plainOrEmpty(acc.moneyOrNull(0)));
    m_fig[3]->setText(formatGeneral(numberOf(m_fig[1]->text()) + numberOf(m_fig[2]->text())));
    m_fig[5]->setText(formatGeneral(numberOf(m_fig[3]->text()) - numberOf(m_fig[4]->text())));

    // Month sums over a date range, so the date index serves them.
    const QDate today = Clock::today();
    const QDate thisMonth = firstDayOfMonth(today), lastMonth = previousMonth(today);
    Query month(QString::fromUtf8(kDesktopMonthSql));
    auto monthSum = [&](const QDate& first, const char* cls, QLabel* target) {
        month.bind(":t1", first).bind(":t2", lastDayOfMonth(first)).bind(":c", QString::fromLatin1(cls));
        month.reset();
        const QString text = sumText(month);
        if (!month.ok()) {
            Msg::dbError(this, month.error());
            return false;
        }
        target->setText(text);
        month.reset();
        return true;
    };
    if (!monthSum(thisMonth, "S", m_fig[6]) || !monthSum(thisMonth, "Z", m_fig[7])
        || !monthSum(lastMonth, "S", m_fig[8]) || !monthSum(lastMonth, "Z", m_fig[9]))
        return;

    if (!fillRanking(m_chart1, "Z", QColor(166, 202, 240)))
        return;
    fillRanking(m_chart2, "S", QColor(192, 220, 192));
}

bool Tf_main::fillRanking(QChartView* chart, const char* cls, const QColor& colour)
{
    Query q(QString::fromUtf8(kDesktopRankingSql));
    q.bind(":c", QString::fromLatin1(cls));
    QStringList names;
    QList<double> values;
    while (q.next()) {
        names << q.text(0);
        values << q.money(1).toDouble();
    }
    if (!q.ok()) {
        Msg::dbError(this, q.error());
        return false;
    }
    Charts::setHorizontalBars(chart, names, values, colour);
    return true;
}

void Tf_main::Label1Click()
{
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
    if (!q.exec())
        return Msg::dbError(this, q.error());
    m_note->setText(m_noteEdit->text());
}
