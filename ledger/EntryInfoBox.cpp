#include "ledger/EntryInfoBox.h"

#include "data/Database.h"
#include "ui/Msg.h"
#include "ui/Page.h"

#include <QLabel>

namespace {
// A sum for the box: no row or an empty sum counts as 0.
std::optional<Money> sumOrZero(Query& q, QString* error)
{
    switch (q.fetch()) {
    case Query::Fetch::Row: return q.moneyOrNull(0).value_or(Money());
    case Query::Fetch::NoRow: return Money();
    case Query::Fetch::Failed: *error = q.error(); return std::nullopt;
    }
    return std::nullopt;
}
}

EntryInfoBox::EntryInfoBox(const QString& caption, const QString& label14, const QString& label15,
                           const QString& label17, QWidget* parent)
    : QGroupBox(caption, parent)
{
    setObjectName(QStringLiteral("GroupBox2"));
    setGeometry(264, 43, 193, 193);
    m_heading = Page::label(this, label14, QRect(8, 24, 177, 22), "Label14");
    m_heading->setAlignment(Qt::AlignCenter);
    m_heading->setStyleSheet(QStringLiteral("color: #800000; font-weight: bold;"));
    Page::label(this, label15, QRect(12, 56, 90, 20), "Label15");
    m_minuend = Page::label(this, QStringLiteral("0"), QRect(102, 56, 80, 20), "Label20");
    Page::label(this, QStringLiteral("－"), QRect(12, 80, 20, 20));
    Page::label(this, label17, QRect(12, 104, 90, 20), "Label17");
    m_subtrahend = Page::label(this, QStringLiteral("0"), QRect(102, 104, 80, 20), "Label21");
    Page::label(this, QStringLiteral("－－－－－－－－－－－－"), QRect(8, 128, 177, 16));
    auto* amountCaption = Page::label(this, QStringLiteral("金额"), QRect(12, 152, 60, 20), "Label16");
    amountCaption->setStyleSheet(QStringLiteral("color: red;"));
    m_difference = Page::label(this, QStringLiteral("0"), QRect(102, 152, 80, 20), "Label22");
    m_difference->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    for (QLabel* v : {m_minuend, m_subtrahend, m_difference})
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

bool EntryInfoBox::fail(const QString& error)
{
    Msg::dbError(this, error);
    return false;
}

bool EntryInfoBox::showBudget(qint64 parentId, const QDate& day)
{
    QString error;
    Query name(QStringLiteral("Select f_name from s_fenlei where id=:p"));
    name.bind(":p", parentId);
    const Query::Fetch found = name.fetch();
    if (found == Query::Fetch::Failed)
        return fail(name.error());
    Query budget(QStringLiteral("Select y_money from s_yushuan where f_id=:p"));
    budget.bind(":p", parentId);
    const auto planned = sumOrZero(budget, &error);
    if (!planned)
        return fail(error);
    Query actual(
        QStringLiteral("Select sum(s_jine) as a from v_flbb where  f_id= :p and  s_date between :t1   and  :t2"));
    actual.bind(":p", parentId).bind(":t1", firstDayOfMonth(day)).bind(":t2", lastDayOfMonth(day));
    const auto spent = sumOrZero(actual, &error);
    if (!spent)
        return fail(error);
    if (found == Query::Fetch::Row)
        m_heading->setText(name.text(0));
    m_minuend->setText(planned->plain());
    m_subtrahend->setText(spent->plain());
    m_difference->setText((*planned - *spent).plain());
    return true;
}

bool EntryInfoBox::showBudgetOfCategory(qint64 categoryId, const QDate& day)
{
    Query parent(QStringLiteral("select f_id from s_fenlei where id=:id"));
    parent.bind(":id", categoryId);
    switch (parent.fetch()) {
    case Query::Fetch::Failed: return fail(parent.error());
    case Query::Fetch::NoRow: return true;  // deleted meanwhile: the box stays
    case Query::Fetch::Row: break;
    }
    return showBudget(parent.integer(0), day);
}

bool EntryInfoBox::showMonthComparison(const QString& classLetter, const QDate& day)
{
    QString error;
    const QDate last = previousMonth(day);
    Query q(QStringLiteral("Select sum(s_jine) as a from s_z_all where f_class=:c and  s_date between :t1  and :t2"));
    q.bind(":c", classLetter).bind(":t1", last).bind(":t2", lastDayOfMonth(last));
    const auto lastMonth = sumOrZero(q, &error);
    if (!lastMonth)
        return fail(error);
    q.bind(":t1", firstDayOfMonth(day)).bind(":t2", day);
    const auto thisMonth = sumOrZero(q, &error);
    if (!thisMonth)
        return fail(error);
    m_subtrahend->setText(lastMonth->plain());
    m_minuend->setText(thisMonth->plain());
    m_difference->setText((*thisMonth - *lastMonth).plain());
    return true;
}
