// The entry pages' record list: what it reads and in which order.
#include "ledger/EntryPage.h"

QueryModel::Chunked EntryPage::recordList(const QString& filter)
{
    // The day, the search and the range differ only in their filters. The
    // member and account ids ride along hidden, so that editing selects them
    // by id and not by a name two rows may share. Twenty years of records
    // come in chunks as the list scrolls: by day, then in entry order.
    QueryModel::Chunked list;
    list.columns = QStringLiteral("id as 编号,s_date as 时间 ,f_name as 项目,sys_name as 收付款人,s_jine as 金额,"
                                  "z_name as 账户,s_other as 备注, s_userid, s_zhanghuid, id");
    list.source = QStringLiteral("s_z_all");
    list.filter = filter;
    list.keys = {QStringLiteral("s_date"), QStringLiteral("id")};
    list.keyColumns = {ColDate, ColId};
    list.sums = {{ColAmount, QStringLiteral("s_jine")}};
    return list;
}
