#include "ledger/EntryChecks.h"

EntryRefusal checkEntry(const EntryInput& in, Money* amount)
{
    using F = EntryRefusal::Field;
    if (!in.payerChosen)
        return {F::Payer, QStringLiteral("对不起，请选择付款人")};
    if (in.category.isEmpty())
        return {F::Category, QStringLiteral("对不起，请重新输入项目")};
    if (in.amount.isEmpty() || in.amount == u"0")
        return {F::Amount, QStringLiteral("对不起，金额不能为零")};
    const QString typed = in.amount.trimmed();
    const auto parsed = Money::parse(typed);
    // Digits too many for an amount are a number all the same: too large.
    if (Money::isOversizedNumber(typed))
        return {F::Amount, QStringLiteral("对不起，金额超出范围")};
    if (!parsed)
        return {F::Amount, QStringLiteral("对不起，金额必须是数字")};
    if (parsed->isZero())
        return {F::Amount, QStringLiteral("对不起，金额不能为零")};
    // Pasted or computed amounts too: no sum of the records may overflow.
    if (*parsed < Money() || *parsed > kMaxRecordAmount)
        return {F::Amount, QStringLiteral("对不起，金额超出范围")};
    if (!in.accountChosen)
        return {F::Account, QStringLiteral("对不起，请选择账户")};
    *amount = *parsed;
    return {};
}
