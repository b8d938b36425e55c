#include "settings/FullExport.h"

#include "data/Database.h"
#include "data/Files.h"
#include "data/Schema.h"
#include "ui/LongWork.h"
#include "ui/Msg.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <memory>

namespace FullExport {

const QList<SheetQuery>& sheets()
{
    static const QList<SheetQuery> list{
        {"收支记录", "select s.id as 编号, s.s_date as 日期, case p.f_class when 'S' then '收入' when 'Z' then '支出' "
                     "else '' end as 收支, p.f_name as 大类, c.f_name as 类别, s.s_jine as 金额, u.sys_name as 成员, "
                     "z.z_name as 账户, s.s_other as 备注 from s_shouru s left join s_fenlei c on c.id = s.f_fenleiid "
                     "left join s_fenlei p on p.id = c.f_id left join s_user u on u.id = s.s_userid "
                     "left join z_zhanghu z on z.id = s.s_zhanghuid order by s.s_date, s.id"},
        {"类别", "select c.id as 编号, case coalesce(p.f_class, c.f_class) when 'S' then '收入' when 'Z' then '支出' "
                 "else '' end as 收支, p.f_name as 上级类别, c.f_name as 名称, c.f_pinyin as 拼音码, c.f_other as 备注 "
                 "from s_fenlei c left join s_fenlei p on p.id = c.f_id and c.f_id <> 0 order by c.id"},
        {"账户", "select id as 编号, z_name as 名称, z_qcje as 期初金额, z_yue as 余额, z_other as 备注 from z_zhanghu "
                 "order by id"},
        {"转账", "select h.id as 编号, h.zdate as 日期, a.z_name as 转出账户, b.z_name as 转入账户, h.zXmoney as 金额, "
                 "h.other as 备注 from s_zhanghistory h left join z_zhanghu a on a.id = h.zh1 "
                 "left join z_zhanghu b on b.id = h.zh2 order by h.zdate, h.id"},
        {"借入借出",
         "select j.id as 编号, case j.j_class when 'S' then '借入' else '借出' end as 类型, j.j_date as 日期, "
         "z.z_name as 账户, j.j_chuMoney as 金额, j.j_ruMoney as 已还金额, j.j_yuMoney as 余额, "
         "j.j_shoudate as 预计回收期, j.j_jiege as 借给, j.j_jiekuanren as 借款人, j.j_other as 备注 "
         "from s_jie j left join z_zhanghu z on z.id = j.z_id order by j.j_date, j.id"},
        {"预算", "select f.f_name as 类别, y.y_money as 预算金额, y.y_year as 年度预算, "
                 "case y.y_jiezhuan when 1 then '是' else '否' end as 结转, y.y_x as 备注 from s_yushuan y "
                 "left join s_fenlei f on f.id = y.f_id order by y.id"},
        {"成员", "select id as 编号, sys_name as 名称 from s_user order by id"},
        {"周期账单",
         "select id as 编号, p_name as 名称, case p_type when 'Z' then '支出' when 'S' then '收入' else '转账' end "
         "as 类型, p_money as 金额, p_start as 开始, p_end as 结束, p_count as 次数, p_other as 备注 from p_plan "
         "order by id"},
        {"日记", "select n_date as 日期, n_info as 内容 from notebook order by n_date, id"},
    };
    return list;
}

namespace {

// One statement stepped as the writer asks for its rows, in order.
class Stepper {
public:
    explicit Stepper(const QString& sql) : m_q(sql)
    {
        for (int c = 0; c < m_q.columnCount(); ++c) {
            const QString type = m_q.columnDeclType(c).toUpper();
            m_money << (type == u"MONEY");
            m_date << (type == u"DATE");
        }
    }
    Query& query() { return m_q; }
    QVariant cell(int row, int column)
    {
        while (m_row < row) {
            if (!m_q.next()) {
                m_failed = !m_q.ok();
                return {};
            }
            ++m_row;
        }
        if (m_q.isNull(column))
            return {};
        if (m_money[column])
            return QVariant::fromValue(m_q.money(column));
        if (m_date[column] && m_q.date(column).isValid())
            return m_q.date(column);
        return m_q.value(column);
    }
    bool failed() const { return m_failed; }

private:
    Query m_q;
    QList<bool> m_money, m_date;
    int m_row = -1;
    bool m_failed = false;
};

}  // namespace

bool write(const QString& path, const SheetFile::Progress& progress, QString* error, bool* cancelled, qint64* rows)
{
    Database& db = Database::shared();
    // A file whose later layout steps could not run lacks their tables: their sheets are left out.
    bool plans = false, budgetColumns = false;
    DbError dbError;
    if (!tablesExist(db, {QStringLiteral("p_plan")}, &plans, &dbError)
        || !tablesExist(db, {QStringLiteral("y_tixing")}, &budgetColumns, &dbError)) {
        *error = dbError;
        return false;
    }
    std::vector<std::unique_ptr<Stepper>> steppers;
    QList<SheetFile::Sheet> out;
    qint64 total = 0;
    for (const SheetQuery& s : sheets()) {
        const QString name = QString::fromUtf8(s.name);
        if ((!plans && name == u"周期账单") || (!budgetColumns && name == u"预算"))
            continue;
        const QString sql = QString::fromUtf8(s.sql);
        Query count(QStringLiteral("select count(*) from (%1)").arg(sql));
        if (!count.next()) {
            *error = count.error();
            return false;
        }
        steppers.push_back(std::make_unique<Stepper>(sql));
        Stepper* st = steppers.back().get();
        if (!st->query().ok()) {
            *error = st->query().error();
            return false;
        }
        SheetFile::Sheet sheet;
        sheet.name = name;
        for (int c = 0; c < st->query().columnCount(); ++c) {
            const QString title = st->query().columnName(c);
            sheet.columns << Xls::Column{title, title == u"备注" || title == u"内容" ? 240 : 100};
        }
        sheet.rowCount = int(count.integer(0));
        sheet.cell = [st](int row, int column) { return st->cell(row, column); };
        total += sheet.rowCount;
        out << sheet;
    }
    if (rows)
        *rows = total;
    const bool ok = SheetFile::write(SheetFile::Format::Xlsx, path, out, progress, error, cancelled);
    for (const auto& st : steppers)
        if (st->failed()) {
            // The file was written from a read cut short: it goes.
            QFile::remove(path);
            *error = st->query().error();
            return false;
        }
    return ok;
}

void run(QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("导出全部数据"), QDir::homePath(),
                       QStringLiteral("Excel工作簿 (*.xlsx)"));
    dialog.setObjectName(QStringLiteral("SaveDialog2"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(QStringLiteral("家庭账本全部数据.xlsx"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString target = withSuffix(dialog.selectedFiles().constFirst(), QStringLiteral(".xlsx"));
    if (QFileInfo::exists(target)
        && !Msg::confirm(parent, QStringLiteral("文件“%1”已存在，是否替换？").arg(QFileInfo(target).fileName())))
        return;
    LongWork work(parent, QStringLiteral("正在导出全部数据…"), 0, true);
    QString error;
    bool cancelled = false;
    qint64 rows = 0;
    const bool ok = write(
        target,
        [&](qint64 done) {
            if (done == 256)
                work.restart(QStringLiteral("正在导出全部数据 %1 行…").arg(LongWork::count(rows)), rows);
            return work.step(done);
        },
        &error, &cancelled, &rows);
    if (cancelled)
        Msg::info(parent, QStringLiteral("已取消"));
    else if (!ok)
        Msg::error(parent, QStringLiteral("导出失败：") + error);
    else
        Msg::info(parent, QStringLiteral("已导出全部数据：%1（%2 行）").arg(target, LongWork::count(rows)));
}

}  // namespace FullExport
