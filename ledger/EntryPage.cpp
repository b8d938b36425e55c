#include "ledger/EntryPage.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "ledger/AmountCalculator.h"
#include "ui/Charts.h"
#include "ui/ClickLabel.h"
#include "ui/DataGrid.h"
#include "ui/LookupCombo.h"
#include "ui/Msg.h"
#include "ui/QueryModel.h"

#include <QChartView>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <cmath>

namespace {

constexpr double kChartMax = 6361.64;

// The list's statement; the day, the search and the range differ only in
// their conditions. The member and account ids ride along hidden, so that
// editing selects them by id and not by a name two rows may share.
const char* const kListSelect =
    "select id as 编号,s_date as 时间 ,f_name as 项目,sys_name as 收付款人,s_jine as 金额,z_name as 账户,"
    "s_other as 备注, s_userid, s_zhanghuid, id from s_z_all where f_class=:c and ";

const char* const kPickerSelect = "select  f_name as 项目 ,f_pinyin as 助记码 ,f_id from v_fenlei where f_class=:c";

// LIKE text that matches the user's text literally: % and _ stand for themselves.
QString likePattern(const QString& text)
{
    QString t = text;
    t.replace(u'\\', QStringLiteral("\\\\")).replace(u'%', QStringLiteral("\\%")).replace(u'_', QStringLiteral("\\_"));
    return u'%' + t + u'%';
}

// The picture button beside the amount box; the pressed twin is darker.
QPixmap calculatorPicture(bool pressed)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x8a, 0x4b, 0x1f));
    p.setBrush(pressed ? QColor(0xe4, 0xcd, 0xa8) : QColor(0xfb, 0xf4, 0xe8));
    p.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 3, 3);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 4.5, 13, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8a, 0x4b, 0x1f));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawRect(QRectF(5.5 + c * 5, 11.5 + r * 3.6, 3, 2.4));
    return pm;
}

QDateEdit* dateEdit(QWidget* parent, const char* name)
{
    auto* d = new QDateEdit(parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    d->setCalendarPopup(true);
    d->setDate(Clock::today());
    return d;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, const QRect& r)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    return b;
}

// A pop-up panel that lies over the page: framed, opaque, titled.
QGroupBox* popup(QWidget* parent, const QString& title, const char* name, const QRect& r)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(r);
    box->setStyleSheet(QStringLiteral(
        "QGroupBox#%1 { background: #fffdf8; border: 1px solid #b8864f; border-radius: 4px;"
        " margin-top: 0px; padding-top: 16px; }"
        "QGroupBox#%1::title { subcontrol-origin: padding; subcontrol-position: top left; left: 8px; top: 3px;"
        " color: #8a4b1f; font-weight: bold; }").arg(QString::fromLatin1(name)));
    return box;
}

QLabel* label(QWidget* parent, const QString& text, const QRect& r, const char* name = nullptr)
{
    auto* l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(r);
    return l;
}

// A sum for the information box: an empty result shows as "0".
QString sumOrZero(Query& q)
{
    if (!q.next())
        return QStringLiteral("0");
    const auto m = q.moneyOrNull(0);
    return m ? m->plain() : QStringLiteral("0");
}

QString difference(const QString& a, const QString& b)
{
    const Money x = Money::parse(a).value_or(Money()), y = Money::parse(b).value_or(Money());
    return (x - y).plain();
}

} // namespace

EntryPage::EntryPage(const EntryTraits& traits, QWidget* parent) : QWidget(parent), m_t(traits)
{
    setObjectName(QString::fromLatin1(m_t.objectName));
    setFixedSize(773, 486);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    buildUi();
    FormCreate();
}

void EntryPage::buildUi()
{
    // Button row: add, delete, save on the left; the day bar on the right.
    connect(button(this, "Button1", "增加", QRect(6, 8, 60, 26)), &QPushButton::clicked, this, &EntryPage::Button1Click);
    connect(button(this, "Button2", "删除", QRect(70, 8, 60, 26)), &QPushButton::clicked, this, &EntryPage::Button2Click);
    connect(button(this, "Button3", "保存", QRect(134, 8, 60, 26)), &QPushButton::clicked, this, &EntryPage::Button3Click);
    connect(button(this, "Button4", "昨天", QRect(420, 8, 52, 26)), &QPushButton::clicked, this, &EntryPage::Button4Click);
    connect(button(this, "Button5", "今天", QRect(476, 8, 52, 26)), &QPushButton::clicked, this, &EntryPage::Button5Click);
    connect(button(this, "Button6", "明天", QRect(532, 8, 52, 26)), &QPushButton::clicked, this, &EntryPage::Button6Click);
    m_listDate = dateEdit(this, "DateTimePicker1");
    m_listDate->setGeometry(590, 8, 100, 26);
    connect(m_listDate, &QDateEdit::dateChanged, this, &EntryPage::DateTimePicker1Change);
    connect(button(this, "Button7", "模糊查询", QRect(694, 8, 74, 26)), &QPushButton::clicked, this, &EntryPage::Button7Click);
    auto* hidden = button(this, "Button28", "刷新", QRect(0, 0, 1, 1));
    hidden->hide();
    connect(hidden, &QPushButton::clicked, this, &EntryPage::Button28Click);

    // Record form.
    auto* form = new QGroupBox(this);
    form->setObjectName(QStringLiteral("GroupBox1"));
    form->setGeometry(3, 43, 257, 195);
    const int lx = 10, cx = 74, cw = 170;
    int y = 10;
    label(form, QStringLiteral("日　期："), QRect(lx, y, 64, 24));
    m_entryDate = dateEdit(form, "DateTimePicker2");
    m_entryDate->setGeometry(cx, y, cw, 24);
    connect(m_entryDate, &QDateEdit::dateChanged, this, &EntryPage::DateTimePicker2Change);
    y += 30;
    m_payerLabel = label(form, QString::fromUtf8(m_t.payerCaption), QRect(lx, y, 64, 24));
    m_payer = new LookupCombo(form);
    m_payer->setObjectName(QStringLiteral("DBLookupComboboxEh1"));
    m_payer->setGeometry(cx, y, cw, 24);
    m_payer->setToolTip(QStringLiteral("付款人－可以在系统设置－用户管理 里进行添加"));
    y += 30;
    label(form, QStringLiteral("分　类："), QRect(lx, y, 64, 24));
    m_category = new QLineEdit(form);
    m_category->setObjectName(QStringLiteral("Edit3"));
    m_category->setGeometry(cx, y, cw, 24);
    m_category->setMaxLength(50);
    m_category->setToolTip(QStringLiteral("项目－可以从 [收入分类] 或 [支出分类] 里进行添加"));
    m_category->installEventFilter(this);
    connect(m_category, &QLineEdit::textChanged, this, &EntryPage::Edit3Change);
    y += 30;
    label(form, QStringLiteral("金　额："), QRect(lx, y, 64, 24));
    m_amount = new QLineEdit(form);
    m_amount->setObjectName(QStringLiteral("Edit1"));
    m_amount->setGeometry(cx, y, cw - 28, 24);
    m_amount->setToolTip(QStringLiteral("请在 英文输入法 状态下输入金额"));
    m_amount->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_amount->installEventFilter(this);
    m_image7 = new ClickLabel(form);
    m_image7->setObjectName(QStringLiteral("Image7"));
    m_image8 = new ClickLabel(form);
    m_image8->setObjectName(QStringLiteral("Image8"));
    for (ClickLabel* img : {m_image7, m_image8}) {
        img->setGeometry(cx + cw - 24, y, 24, 24);
        img->setAlignment(Qt::AlignCenter);
        img->setToolTip(QStringLiteral("金额计算器"));
    }
    m_image7->setPixmap(calculatorPicture(false));
    m_image8->setPixmap(calculatorPicture(true));
    m_image8->hide();
    y += 30;
    label(form, QStringLiteral("账　户："), QRect(lx, y, 64, 24));
    m_account = new LookupCombo(form);
    m_account->setObjectName(QStringLiteral("DBLookupComboboxEh2"));
    m_account->setGeometry(cx, y, cw, 24);
    m_account->setToolTip(QStringLiteral("账户－可从 账户 管理里行添加"));
    y += 30;
    label(form, QStringLiteral("备　注："), QRect(lx, y, 64, 24));
    m_remark = new QLineEdit(form);
    m_remark->setObjectName(QStringLiteral("Edit2"));
    m_remark->setGeometry(cx, y, cw, 24);
    m_remark->setMaxLength(250);
    m_editId = label(this, QStringLiteral("0"), QRect(0, 0, 1, 1), "editid");
    m_editId->hide();

    // Information box.
    m_infoBox = new QGroupBox(QString::fromUtf8(m_t.infoCaption), this);
    m_infoBox->setObjectName(QStringLiteral("GroupBox2"));
    m_infoBox->setGeometry(264, 43, 193, 193);
    m_label14 = label(m_infoBox, QString::fromUtf8(m_t.label14), QRect(8, 24, 177, 22), "Label14");
    m_label14->setAlignment(Qt::AlignCenter);
    m_label14->setStyleSheet(QStringLiteral("color: #800000; font-weight: bold;"));
    label(m_infoBox, QString::fromUtf8(m_t.label15), QRect(12, 56, 90, 20), "Label15");
    m_label20 = label(m_infoBox, QStringLiteral("0"), QRect(102, 56, 80, 20), "Label20");
    label(m_infoBox, QStringLiteral("－"), QRect(12, 80, 20, 20));
    label(m_infoBox, QString::fromUtf8(m_t.label17), QRect(12, 104, 90, 20), "Label17");
    m_label21 = label(m_infoBox, QStringLiteral("0"), QRect(102, 104, 80, 20), "Label21");
    label(m_infoBox, QStringLiteral("－－－－－－－－－－－－"), QRect(8, 128, 177, 16));
    auto* amountCaption = label(m_infoBox, QStringLiteral("金额"), QRect(12, 152, 60, 20), "Label16");
    amountCaption->setStyleSheet(QStringLiteral("color: red;"));
    m_label22 = label(m_infoBox, QStringLiteral("0"), QRect(102, 152, 80, 20), "Label22");
    m_label22->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    for (QLabel* v : {m_label20, m_label21, m_label22})
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Seven-day chart.
    auto* chartBox = new QGroupBox(QStringLiteral("最近七次金额变化"), this);
    chartBox->setObjectName(QStringLiteral("GroupBox3"));
    chartBox->setGeometry(461, 43, 308, 193);
    m_chart = Charts::makeView(chartBox, QStringLiteral("DBChart1"), QColor(0xc0, 0xc0, 0xc0));
    m_chart->setGeometry(4, 18, 300, 171);

    // Record list of the day.
    m_listModel = new QueryModel(this);
    m_list = new DataGrid(this);
    m_list->setObjectName(QStringLiteral("DBGridEh1"));
    m_list->setGeometry(3, 240, 768, 243);
    m_list->setModel(m_listModel);
    connect(m_list, &QAbstractItemView::clicked, this, &EntryPage::DBGridEh1CellClick);

    // Pop-up panels, hidden until needed.
    m_picker = popup(this, QStringLiteral("项目分类"), "GroupBox5", QRect(12, 150, 240, 173));
    label(m_picker, QStringLiteral("项目大类："), QRect(8, 22, 70, 22));
    m_topLevel = new LookupCombo(m_picker);
    m_topLevel->setObjectName(QStringLiteral("DBLookupComboboxEh3"));
    m_topLevel->setGeometry(78, 22, 154, 22);
    connect(m_topLevel, &LookupCombo::keyChanged, this, &EntryPage::DBLookupComboboxEh3Change);
    m_pickerModel = new QueryModel(this);
    m_pickerGrid = new DataGrid(m_picker);
    m_pickerGrid->setObjectName(QStringLiteral("DBGridEh2"));
    m_pickerGrid->setGeometry(6, 48, 228, 119);
    m_pickerGrid->setModel(m_pickerModel);
    m_pickerGrid->setFitColumns(true);
    connect(m_pickerGrid, &QAbstractItemView::clicked, this, &EntryPage::DBGridEh2CellClick);
    m_picker->hide();

    m_notice = popup(this, QStringLiteral("信息提示"), "GroupBox7", QRect(266, 70, 241, 105));
    auto* ok = label(m_notice, QStringLiteral("保存成功！"), QRect(10, 30, 221, 50), "Label23");
    ok->setAlignment(Qt::AlignCenter);
    ok->setStyleSheet(QStringLiteral("color: #2f7d32; font-size: 16px; font-weight: bold;"));
    m_notice->installEventFilter(this);
    ok->installEventFilter(this);
    m_notice->hide();
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(2000);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &EntryPage::Timer1Timer);

    m_search = popup(this, QStringLiteral("模糊查询"), "GroupBox6", QRect(516, 43, 249, 125));
    label(m_search, QStringLiteral("关键字："), QRect(8, 24, 56, 24));
    m_keyword = new QLineEdit(m_search);
    m_keyword->setObjectName(QStringLiteral("Edit4"));
    m_keyword->setGeometry(64, 24, 176, 24);
    m_fromDate = dateEdit(m_search, "DateTimePicker3");
    m_fromDate->setGeometry(8, 56, 112, 24);
    label(m_search, QStringLiteral("至"), QRect(122, 56, 12, 24));
    m_toDate = dateEdit(m_search, "DateTimePicker4");
    m_toDate->setGeometry(136, 56, 104, 24);
    connect(button(m_search, "Button8", "取消", QRect(84, 90, 74, 26)), &QPushButton::clicked, this, &EntryPage::Button8Click);
    connect(button(m_search, "Button9", "查询", QRect(166, 90, 74, 26)), &QPushButton::clicked, this, &EntryPage::Button9Click);
    m_search->hide();

    m_calc = new AmountCalculator(*m_t.calculator, m_amount, m_image7, m_image8, this);
    m_calc->move(form->x() + cx, form->y() + 124);
    m_calc->hide();
    connect(m_image7, &ClickLabel::clicked, m_calc, &AmountCalculator::Image7Click);
    connect(m_image8, &ClickLabel::clicked, m_calc, &AmountCalculator::Image7Click);
}

void EntryPage::FormCreate()
{
    setDates(Clock::today(), Clock::today());
    {
        const QSignalBlocker b1(m_fromDate), b2(m_toDate);
        m_fromDate->setDate(Clock::today());
        m_toDate->setDate(Clock::today());
    }
    QString error;
    if (!m_payer->load(QStringLiteral("select * from s_user"), QStringLiteral("id"), QStringLiteral("Sys_name"), {}, &error)
        || !m_account->load(QStringLiteral("select * from z_zhanghu order by id desc"), QStringLiteral("id"),
                            QStringLiteral("z_name"), {}, &error)
        || !m_topLevel->load(QStringLiteral("select id,f_name from s_fenlei where f_id=0 and f_class=:sorz;"),
                             QStringLiteral("id"), QStringLiteral("f_name"), {{":sorz", classLetter()}}, &error)) {
        Msg::dbError(this, error);
        return;
    }
    m_payer->setCurrentIndex(m_payer->count() ? 0 : -1);
    m_account->setCurrentIndex(m_account->count() ? 0 : -1);
    {
        const QSignalBlocker b(m_topLevel);
        m_topLevel->setCurrentIndex(-1);
    }
    loadChart();
    Button9Click();
    Button1Click();
    m_calc->Button11Click();
}

void EntryPage::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void EntryPage::FormShow()
{
    m_amount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!m_t.budgetBox)
        updateMonthComparison();
}

void EntryPage::setDates(const QDate& entry, const QDate& list)
{
    const QSignalBlocker b1(m_entryDate), b2(m_listDate);
    m_entryDate->setDate(entry);
    m_listDate->setDate(list);
}

// ---------------------------------------------------------------- list

void EntryPage::loadList(const QString& where, const QList<QPair<const char*, QVariant>>& binds)
{
    QList<QPair<const char*, QVariant>> all = binds;
    all.prepend({":c", classLetter()});
    QString error;
    const bool ok = m_listModel->setQuery(QString::fromUtf8(kListSelect) + where, all, &error);
    // List format: money column, widths, footer, hidden ids.
    m_listModel->setColumnFormat(ColAmount, QueryModel::Yuan);
    m_listModel->setRowNumberColumn(ColNo);
    for (int c : {ColUserId, ColAccountId, ColId})
        m_list->setColumnHidden(c, true);
    m_list->setColumnWidth(ColNo, 40);
    for (int c = ColDate; c <= ColAccount; ++c)
        m_list->setColumnWidth(c, 80);
    m_list->setColumnWidth(ColRemark, width() - 420);
    m_list->verticalHeader()->setDefaultSectionSize(22);
    m_list->setFooterText(ColNo, QStringLiteral("合计:"));
    m_list->setFooterSum(ColAmount);
    if (!ok)
        Msg::dbError(this, error);
}

void EntryPage::Button28Click()
{
    loadList(QStringLiteral("s_date=:d"), {{":d", m_listDate->date()}});
}

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
    const QSignalBlocker b(m_listDate);
    m_listDate->setDate(m_entryDate->date());
}

void EntryPage::Button7Click()
{
    m_keyword->clear();
    m_search->show();
    m_search->raise();
    m_keyword->setFocus();
}

void EntryPage::Button8Click() { m_search->hide(); }

void EntryPage::Button9Click()
{
    m_search->hide();
    const QString keyword = m_keyword->text();
    QList<QPair<const char*, QVariant>> binds{{":t1", m_fromDate->date()}, {":t2", m_toDate->date()}};
    if (!keyword.trimmed().isEmpty()) {
        // A missing remark counts as empty text, so the name alone still matches.
        binds.append({":k", likePattern(keyword)});
        loadList(QStringLiteral("f_name||coalesce(s_other,'') like :k escape '\\' and s_date between :t1 and :t2"), binds);
    } else {
        loadList(QStringLiteral("s_date between :t1 and :t2"), binds);
    }
}

// ---------------------------------------------------------------- chart

QList<QPair<QDate, Money>> EntryPage::lastSevenDays(const QString& classLetter, QString* error)
{
    // The seven latest dates with records of the class, newest first, each
    // found through the s_date index; then their sums in one pass.
    QList<QPair<QDate, Money>> rows;
    Query pick(QStringLiteral(
        "select s_date from s_z_all where f_class=:fenlei and s_date < :before order by s_date desc limit 1"));
    QStringList dates;
    QString before = QStringLiteral("9999-12-31");
    while (dates.size() < 7) {
        pick.bind(":fenlei", classLetter).bind(":before", before);
        if (!pick.next())
            break;
        before = pick.text(0);
        dates << before;
    }
    if (!pick.ok()) {
        if (error)
            *error = pick.error();
        return rows;
    }
    if (dates.isEmpty())
        return rows;
    Query sums(QStringLiteral(
        "select sum(s_jine) as aaa ,s_date from s_z_all where f_class =:fenlei and s_date between :t1 and :t2 "
        "group by s_date order by s_date"));
    sums.bind(":fenlei", classLetter).bind(":t1", dates.last()).bind(":t2", dates.first());
    while (sums.next())
        rows.append({sums.date(1), sums.money(0)});
    if (!sums.ok() && error)
        *error = sums.error();
    return rows;
}

void EntryPage::loadChart()
{
    QString error;
    QList<QPair<QDate, double>> rows;
    for (const auto& r : lastSevenDays(classLetter(), &error))
        rows.append({r.first, r.second.toDouble()});
    if (!error.isEmpty())
        return Msg::dbError(this, error);

    QStringList labels;
    QList<double> values;
    for (const auto& r : rows) {
        labels << r.first.toString(QStringLiteral("MM-dd"));
        values << r.second;
    }
    // Red gradient bars on a log axis that keeps 6361.64 unless a bar is taller;
    // a day of zero or less sits at the axis minimum.
    QLinearGradient g(0, 0, 1, 0);
    g.setCoordinateMode(QGradient::ObjectBoundingMode);
    g.setColorAt(0, QColor(255, 90, 90));
    g.setColorAt(0.5, Qt::white);
    g.setColorAt(1, QColor(200, 0, 0));
    Charts::BarOptions o;
    o.brush = g;
    o.barWidth = 0.4;
    o.logAxis = true;
    o.min = 1;
    o.max = kChartMax;
    Charts::setBars(m_chart, labels, values, o);
}

// ---------------------------------------------------------------- form

void EntryPage::Button1Click()
{
    m_editMode = false;
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
    if (m_payer->currentIndex() < 0)
        return refuse("对不起，请选择付款人", m_payer);
    const QString name = m_category->text();
    if (name.isEmpty())
        return refuse("对不起，请重新输入项目", m_category);
    const QString amountText = m_amount->text();
    if (amountText.isEmpty() || amountText == u"0")
        return refuse("对不起，金额不能为零", m_amount);
    const auto amount = Money::parse(amountText.trimmed());
    if (!amount)
        return refuse("对不起，金额必须是数字", m_amount);
    if (m_account->currentIndex() < 0)
        return refuse("对不起，请选择账户", m_account);
    // Only a sub-category of this page's own class, so the record always
    // shows in this page's lists and sums.
    Query lookup(QStringLiteral("Select id from v_fenlei where f_name=:n and f_class=:c"));
    lookup.bind(":n", name).bind(":c", classLetter());
    if (!lookup.next()) {
        if (!lookup.ok())
            return Msg::dbError(this, lookup.error());
        return refuse("对不起，请重新输入项目", m_category);
    }
    const qint64 categoryId = lookup.integer(0);

    Query write;
    if (m_editMode) {
        write.prepare(QStringLiteral(
            "update  s_shouru set f_fenleiid=:f,s_jine=:j,s_userid=:u, s_other=:o, s_zhanghuid=:z,s_date=:d where id=:id"));
        write.bind(":id", m_editId->text().toLongLong());
    } else {
        write.prepare(QStringLiteral(
            "insert into s_shouru (f_fenleiid,s_jine,s_userid, s_other, s_zhanghuid,s_date,f_class) "
            "values (:f,:j,:u,:o,:z,:d,:c)"));
        write.bind(":c", classLetter());
    }
    write.bind(":f", categoryId).bind(":j", *amount).bind(":u", m_payer->keyValue().toLongLong())
        .bind(":o", m_remark->text()).bind(":z", m_account->keyValue().toLongLong()).bind(":d", m_entryDate->date());
    if (!write.exec())
        return Msg::dbError(this, write.error());
    if (m_editMode && Database::shared().changes() == 0) {
        // The record was deleted meanwhile: nothing was written.
        Msg::error(this, QStringLiteral("对不起，该记录已被删除，请点〔增加〕后重新保存"));
        return;
    }
    m_notice->show();
    m_notice->raise();
    m_timer->start();
    Button28Click();
    refreshAfterChange(categoryId);
    Button1Click();
}

void EntryPage::Button2Click()
{
    if (m_editId->text() == u"0") {
        Msg::error(this, QStringLiteral("对不起，请先选择要删除的记录"));
        return;
    }
    if (!Msg::confirm(this, QStringLiteral("是否确定删除？")))
        return;
    const qint64 id = m_editId->text().toLongLong();
    Query category(QStringLiteral("select f_fenleiid from s_shouru where id=:id"));
    category.bind(":id", id);
    const qint64 categoryId = category.next() ? category.integer(0) : 0;
    Query del(QStringLiteral("delete from s_shouru where id=:id"));
    del.bind(":id", id);
    if (!del.exec())
        return Msg::dbError(this, del.error());
    Button28Click();
    m_editId->setText(QStringLiteral("0"));
    // The form still shows the deleted record; saving it makes a new one.
    m_editMode = false;
    refreshAfterChange(categoryId);
}

void EntryPage::refreshAfterChange(qint64 categoryId)
{
    if (m_t.budgetBox) {
        Query parent(QStringLiteral("select f_id from s_fenlei where id=:id"));
        parent.bind(":id", categoryId);
        if (parent.next())
            updateBudgetBox(parent.integer(0));
    } else {
        updateMonthComparison();
    }
    loadChart();
}

void EntryPage::GroupBox7Click() { m_notice->hide(); }

void EntryPage::Timer1Timer()
{
    m_notice->hide();
    m_timer->stop();
}

// ---------------------------------------------------------------- picker

void EntryPage::showPicker()
{
    m_picker->show();
    m_picker->raise();
}

void EntryPage::loadPicker(const QString& where, const QList<QPair<const char*, QVariant>>& binds)
{
    QList<QPair<const char*, QVariant>> all = binds;
    all.prepend({":c", classLetter()});
    QString error;
    m_pickerModel->setQuery(QString::fromUtf8(kPickerSelect) + where, all, &error);
    m_pickerGrid->setColumnHidden(2, true);
}

void EntryPage::Edit3Click()
{
    showPicker();
    loadPicker(QString(), {});
}

void EntryPage::Edit3Change()
{
    showPicker();
    // A missing quick code counts as empty text, so the name alone matches.
    loadPicker(QStringLiteral(" and f_name||coalesce(f_pinyin,'') like :k escape '\\'"),
               {{":k", likePattern(m_category->text())}});
    if (m_loadingForm)
        m_picker->hide();
}

void EntryPage::DBLookupComboboxEh3Change()
{
    showPicker();
    loadPicker(QStringLiteral(" and f_id=:p"), {{":p", m_topLevel->keyValue()}});
}

void EntryPage::DBGridEh2CellClick()
{
    const int row = m_pickerGrid->currentIndex().row();
    if (m_pickerModel->rowCount() == 0 || row < 0)
        return;
    if (m_t.budgetBox)
        updateBudgetBox(m_pickerModel->raw(row, 2).toLongLong());
    m_category->setText(m_pickerModel->raw(row, 0).toString());
    m_picker->hide();
}

// ---------------------------------------------------------------- information box

void EntryPage::updateBudgetBox(qint64 parentId)
{
    Query name(QStringLiteral("Select f_name from s_fenlei where id=:p"));
    name.bind(":p", parentId);
    if (name.next())
        m_label14->setText(name.text(0));
    Query budget(QStringLiteral("Select y_money from s_yushuan where f_id=:p"));
    budget.bind(":p", parentId);
    m_label20->setText(sumOrZero(budget));
    const QDate d = m_entryDate->date();
    Query actual(QStringLiteral("Select sum(s_jine) as a from v_flbb where  f_id= :p and  s_date between :t1   and  :t2"));
    actual.bind(":p", parentId).bind(":t1", firstDayOfMonth(d)).bind(":t2", lastDayOfMonth(d));
    m_label21->setText(sumOrZero(actual));
    m_label22->setText(difference(m_label20->text(), m_label21->text()));
}

void EntryPage::updateMonthComparison()
{
    const QDate d = m_entryDate->date();
    const QDate last = previousMonth(d);
    Query q(QStringLiteral("Select sum(s_jine) as a from s_z_all where f_class=:c and  s_date between :t1  and :t2"));
    q.bind(":c", classLetter()).bind(":t1", last).bind(":t2", lastDayOfMonth(last));
    m_label21->setText(sumOrZero(q));
    q.bind(":t1", firstDayOfMonth(d)).bind(":t2", d);
    m_label20->setText(sumOrZero(q));
    if (!q.ok())
        return Msg::dbError(this, q.error());
    m_label22->setText(difference(m_label20->text(), m_label21->text()));
}

// ---------------------------------------------------------------- keys

bool EntryPage::filterAmountKey(QKeyEvent* e)
{
    const QString typed = e->text();
    if (e->key() == Qt::Key_Backspace || typed.isEmpty() || !typed[0].isPrint())
        return false;  // editing keys pass
    const QChar c = typed[0];
    if (!(c.isDigit() && c.unicode() < 128) && c != u'.' && c != u' ')
        return true;
    // Judge the key by the text it would produce.
    QString text = m_amount->text();
    int pos = m_amount->cursorPosition();
    if (m_amount->hasSelectedText()) {
        pos = m_amount->selectionStart();
        text.remove(pos, m_amount->selectedText().size());
    }
    if (c == u'.' && text.contains(u'.'))
        return true;
    const QString result = text.left(pos) + c + text.mid(pos);
    const qsizetype dot = result.indexOf(u'.');
    return dot >= 0 && result.size() - dot - 1 > 2;
}

bool EntryPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_amount && event->type() == QEvent::KeyPress)
        return filterAmountKey(static_cast<QKeyEvent*>(event));
    if (watched == m_category && event->type() == QEvent::MouseButtonPress)
        QTimer::singleShot(0, this, &EntryPage::Edit3Click);
    if ((watched == m_notice || watched->parent() == m_notice) && event->type() == QEvent::MouseButtonRelease)
        GroupBox7Click();
    return QWidget::eventFilter(watched, event);
}
