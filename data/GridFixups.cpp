#include "data/GridFixups.h"

bool zeroEmptyOpeningAmounts(Database& db, DbError* error)
{
    return runSteps(db, {{"update z_zhanghu set z_qcje=0 where z_qcje is null"}}, error);
}

bool zeroEmptyBudgets(Database& db, DbError* error)
{
    return runSteps(db, {{"update s_yushuan set y_money=0 where y_money is null"}}, error);
}

bool addMissingBudgetRows(Database& db, DbError* error)
{
    return runSteps(db,
                    {{"insert into s_yushuan (f_id) select id from s_fenlei where f_id=0 and f_class='Z' "
                      "and id not in (select f_id from s_yushuan)"}},
                    error);
}
