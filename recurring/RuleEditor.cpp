#include "recurring/RuleEditor.h"

#include "calendar/LunarCalc.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "ui/NumberField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
using Unit = Recurrence::Unit;
const char* const kUnitNames[] = {"天", "周", "个月", "年", "年（农历）", "个农历月"};
const char* const kLunarMonths[]
    = {"正月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月", "冬月", "腊月"};
const char* const kWeekdays[] = {"周一", "周二", "周三", "周四", "周五", "周六", "周日"};

QComboBox* combo(QWidget* parent, const char* name)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}
}  // namespace

RuleEditor::RuleEditor(const Recurrence& rule, const QDate& start, QWidget* parent)
    : QDialog(parent),
      m_start(start.isValid() ? start : Clock::today())
{
    setObjectName(QStringLiteral("f_guize"));
    setWindowTitle(QStringLiteral("周期规则"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    auto* everyRow = new QHBoxLayout;
    everyRow->addWidget(new QLabel(QStringLiteral("每"), this));
    m_every = new NumberField(1, 999, this);
    m_every->setObjectName(QStringLiteral("SpinEdit1"));
    m_every->setFixedWidth(64);
    everyRow->addWidget(m_every);
    m_unit = combo(this, "ComboBox1");
    for (const char* u : kUnitNames)
        m_unit->addItem(QString::fromUtf8(u));
    everyRow->addWidget(m_unit);
    everyRow->addStretch();
    m_everyUnit = new QLabel(this);
    form->addRow(QStringLiteral("重复："), everyRow);

    auto* days = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        m_days[i] = new QCheckBox(QString::fromUtf8(kWeekdays[i]), this);
        m_days[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        days->addWidget(m_days[i]);
        connect(m_days[i], &QCheckBox::toggled, this, &RuleEditor::showRule);
    }
    form->addRow(QStringLiteral("星期："), days);
    m_month = combo(this, "ComboBox2");
    form->addRow(QStringLiteral("月份："), m_month);
    m_day = combo(this, "ComboBox3");
    form->addRow(QStringLiteral("日期："), m_day);
    m_leap = combo(this, "ComboBox4");
    m_leap->addItems({QStringLiteral("只记平月"), QStringLiteral("只记闰月"), QStringLiteral("平月闰月都记")});
    form->addRow(QStringLiteral("闰月："), m_leap);
    m_shift = combo(this, "ComboBox5");
    m_shift->addItems({QStringLiteral("不调整"), QStringLiteral("提前到周五"), QStringLiteral("顺延到周一")});
    form->addRow(QStringLiteral("遇周末："), m_shift);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("Label1"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setMinimumHeight(60);
    layout->addWidget(m_text);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Button1"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Button2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // The rule shown: unit first (it fills the month and day lists).
    m_unit->setCurrentIndex(int(rule.unit));
    unitChanged();
    m_every->setValue(rule.every);
    for (int i = 0; i < 7; ++i)
        m_days[i]->setChecked(rule.weekdays & (1 << i));
    m_month->setCurrentIndex(rule.month - 1);
    m_day->setCurrentIndex(std::max(0, m_day->findData(rule.day)));
    m_leap->setCurrentIndex(int(rule.leap));
    m_shift->setCurrentIndex(int(rule.shift));
    for (QComboBox* c : {m_month, m_day, m_leap, m_shift})
        connect(c, &QComboBox::currentIndexChanged, this, &RuleEditor::showRule);
    connect(m_unit, &QComboBox::currentIndexChanged, this, &RuleEditor::unitChanged);
    connect(m_every, &QSpinBox::valueChanged, this, &RuleEditor::showRule);
    showRule();
}

void RuleEditor::unitChanged()
{
    const Unit unit = Unit(m_unit->currentIndex());
    const bool lunar = unit == Unit::LunarYear || unit == Unit::LunarMonth;
    const int day = m_day->currentData().isValid() ? m_day->currentData().toInt() : m_start.day();
    const int month = m_month->currentIndex();
    {
        const QSignalBlocker quiet(m_month);
        m_month->clear();
        for (int m = 1; m <= 12; ++m)
            m_month->addItem(lunar ? QString::fromUtf8(kLunarMonths[m - 1]) : QStringLiteral("%1月").arg(m));
        m_month->setCurrentIndex(month >= 0 ? month : m_start.month() - 1);
    }
    {
        const QSignalBlocker quiet(m_day);
        m_day->clear();
        for (int d = 1; d <= (lunar ? 30 : 31); ++d)
            m_day->addItem(lunar ? LunarDayText(d) : QStringLiteral("%1日").arg(d), d);
        m_day->addItem(QStringLiteral("月末"), 0);
        if (unit == Unit::Month)
            for (int k = 2; k <= 7; ++k)
                m_day->addItem(QStringLiteral("倒数第%1天").arg(k), -k);
        m_day->setCurrentIndex(std::max(0, m_day->findData(day)));
    }
    for (QCheckBox* c : m_days)
        c->setEnabled(unit == Unit::Week);
    m_month->setEnabled(unit == Unit::Year || unit == Unit::LunarYear);
    m_day->setEnabled(unit != Unit::Day && unit != Unit::Week);
    m_leap->setEnabled(unit == Unit::LunarYear);
    if (unit == Unit::Week && rule().weekdays == 0)
        m_days[m_start.dayOfWeek() - 1]->setChecked(true);
    showRule();
}

Recurrence RuleEditor::rule() const
{
    Recurrence r;
    r.unit = Unit(m_unit->currentIndex());
    r.every = m_every->value();
    for (int i = 0; i < 7; ++i)
        if (m_days[i]->isChecked())
            r.weekdays |= 1 << i;
    r.month = m_month->currentIndex() + 1;
    r.day = m_day->currentData().toInt();
    r.leap = Recurrence::Leap(m_leap->currentIndex());
    r.shift = Recurrence::Shift(m_shift->currentIndex());
    return r;
}

void RuleEditor::showRule()
{
    const Recurrence r = rule();
    QPushButton* ok = findChild<QPushButton*>(QStringLiteral("Button1"));
    if (!r.isValid()) {
        m_text->setText(QStringLiteral("请至少选择一个星期几"));
        if (ok)
            ok->setEnabled(false);
        return;
    }
    if (ok)
        ok->setEnabled(true);
    const QList<QDate> next = occurrences(r, m_start, Clock::today(), Clock::today().addYears(20), 0).mid(0, 5);
    QStringList dates;
    for (const QDate& d : next)
        dates << dateText(recordDate(r, d));
    m_text->setText(r.text() + u'\n'
                    + (dates.isEmpty() ? (r.isLunar() ? QStringLiteral("超出农历范围") : QStringLiteral("以后没有日期"))
                                       : QStringLiteral("接下来：") + dates.join(QStringLiteral("、"))));
}
