#include "data/AccountTotals.h"

namespace {

// The scratch tables are filled per account and then copied onto the account
// rows; accounts without a scratch row keep the 0 of the reset steps.
const char* const kSteps[] = {
    "UPDATE z_zhanghu   SET z_zhuanru=0,z_zhuanchu=0",
    "delete from x_shou",
    "delete from x_zhi",
    "delete from x_jie",
    "delete from x_chu",
    "delete from x_zc",
    "delete from x_zr",
    "UPDATE z_zhanghu SET z_shouru=0 , z_zhichu=0,z_jiechu=0,z_jieru=0,z_zhuanchu=0",
    "INSERT INTO x_chu (xmoney,xid) select sum(j_yuMoney) as xmoney ,z_id as xid from s_jie where j_class='S' group by "
    "z_id",
    "INSERT INTO x_jie (xmoney,xid) select sum(j_yuMoney) as xmoney ,z_id as xid from s_jie where j_class='Z' group by "
    "z_id",
    // The records of s_z_all per account: their monthly sums per category,
    // member and account (only the class's categories) summed over the
    // months, and only those few groups meet the member and account tables,
    // so the cost follows the groups, not the records.
    "INSERT INTO x_shou (xmoney,xid) select sum(g.jine) as xmoney, g.zid as xid from"
    " (select f_fenleiid as fid, s_userid as uid, s_zhanghuid as zid, sum(h_jine) as jine from h_yue"
    "   where f_fenleiid in (select id from v_fenlei where f_class='S') group by f_fenleiid, s_userid, s_zhanghuid) as "
    "g"
    " inner join s_user on s_user.id = g.uid inner join z_zhanghu on z_zhanghu.id = g.zid group by g.zid",
    "INSERT INTO x_zhi (xmoney,xid) select sum(g.jine) as xmoney, g.zid as xid from"
    " (select f_fenleiid as fid, s_userid as uid, s_zhanghuid as zid, sum(h_jine) as jine from h_yue"
    "   where f_fenleiid in (select id from v_fenlei where f_class='Z') group by f_fenleiid, s_userid, s_zhanghuid) as "
    "g"
    " inner join s_user on s_user.id = g.uid inner join z_zhanghu on z_zhanghu.id = g.zid group by g.zid",
    "INSERT INTO x_zr (xmoney,xid) select sum(zXmoney) as xmoney ,zh2 as xid from s_zhanghistory  group by zh2",
    "INSERT INTO x_zc (xmoney,xid) select sum(zXmoney) as xmoney ,zh1 as xid from s_zhanghistory group by zh1",
    // The guards keep accounts without a partner row from being set to NULL.
    "UPDATE z_zhanghu SET z_shouru=(SELECT x_shou.Xmoney FROM x_shou WHERE x_shou.xid=z_zhanghu.id) WHERE id IN "
    "(SELECT xid FROM x_shou)",
    "UPDATE z_zhanghu SET z_zhichu=(SELECT x_zhi.Xmoney FROM x_zhi WHERE x_zhi.xid=z_zhanghu.id) WHERE id IN (SELECT "
    "xid FROM x_zhi)",
    "UPDATE z_zhanghu SET z_jiechu=(SELECT x_jie.Xmoney FROM x_jie WHERE x_jie.xid=z_zhanghu.id) WHERE id IN (SELECT "
    "xid FROM x_jie)",
    "UPDATE z_zhanghu SET z_jieru=(SELECT x_chu.Xmoney FROM x_chu WHERE x_chu.xid=z_zhanghu.id) WHERE id IN (SELECT "
    "xid FROM x_chu)",
    "UPDATE z_zhanghu SET z_zhuanru=(SELECT x_zr.Xmoney FROM x_zr WHERE x_zr.xid=z_zhanghu.id) WHERE id IN (SELECT xid "
    "FROM x_zr)",
    "UPDATE z_zhanghu SET z_zhuanchu=(SELECT x_zc.Xmoney FROM x_zc WHERE x_zc.xid=z_zhanghu.id) WHERE id IN (SELECT "
    "xid FROM x_zc)",
    // An empty opening amount counts as 0, so a balance is never empty.
    "UPDATE z_zhanghu  SET z_yue=coalesce(z_qcje,0)+z_shouru+z_jieru+z_zhuanru-z_zhichu-z_jiechu-z_zhuanchu",
};

}  // namespace

bool RecalcAccountTotals(Database& db, DbError* error)
{
    Transaction tx(db);
    if (!tx.isActive()) {
        if (error)
            *error = tx.error();
        return false;
    }
    for (const char* sql : kSteps) {
        Query q(db, QString::fromUtf8(sql));
        if (!q.exec()) {
            if (error)
                *error = q.error();
            return false;  // the transaction rolls back
        }
    }
    if (!tx.commit()) {
        if (error)
            *error = tx.error();
        return false;
    }
    return true;
}
