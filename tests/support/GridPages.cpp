#include "tests/support/GridPages.h"

#include "accounts/Tf_zhanghu.h"
#include "accounts/Tf_zhuanzhang.h"
#include "budget/Tf_yushuan.h"
#include "calendar/Tf_rijiben.h"
#include "data/Clock.h"
#include "data/Money.h"
#include "ledger/TF_shouruleibie.h"
#include "ledger/TF_zhichuleibie.h"
#include "loans/Tf_jiechu.h"
#include "loans/Tf_jieru.h"
#include "settings/Tf_system.h"
#include "tests/support/Driver.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"

#include <QPlainTextEdit>
#include <QTest>

namespace GridPages {

using namespace Driver;

namespace {

template <class P> std::function<QWidget*()> maker()
{
    return [] { return static_cast<QWidget*>(new P); };
}

// Adds a row with the page's button; returns it with no editor left open.
int addRow(QWidget* page, const GridPage& p)
{
    click(page, QString::fromLatin1(p.add));
    grid(page, QString::fromLatin1(p.grid))->commitPendingEdit();
    return rowCount(page, QString::fromLatin1(p.grid)) - 1;
}

const GridPage& self(const char* name) { return page(QString::fromLatin1(name)); }

GridPage loans(const char* name, const char* entry, const char* objectName, std::function<QWidget*()> make, char cls)
{
    const QString c = QString(QChar::fromLatin1(cls));
    return {name,
            entry,
            objectName,
            std::move(make),
            "DBGridEh6",
            "Button35",
            "Button37",
            QStringLiteral("s_jie"),
            "j_other",
            QStringLiteral("j_yuMoney=3000000 and j_class='%1'").arg(c),
            QStringLiteral("select count(*) from s_jie where j_other like '%1' and j_yuMoney=j_chuMoney-j_ruMoney"),
            {{"lent to", LoanPage::ColLentTo, "j_jiege", 50},
             {"borrower", LoanPage::ColBorrower, "j_jiekuanren", 50},
             {"remark", LoanPage::ColRemark, "j_other", 250}},
            QStringLiteral("select %1 from s_jie where j_class='") + c + QStringLiteral("' order by j_date,id"),
            {},
            [name](QWidget* w, const QString& tag) {
                const int row = addRow(w, self(name));
                editCell(w, "DBGridEh6", row, LoanPage::ColAccount, 1);
                editCell(w, "DBGridEh6", row, LoanPage::ColAmount, QStringLiteral("300"));
                editCell(w, "DBGridEh6", row, LoanPage::ColRemark, tag);
                return row;
            },
            [](BatchModel* m, int r, const QString& tag) {
                m->setRaw(r, LoanPage::ColDate, Clock::today());
                m->setRaw(r, LoanPage::ColAccountId, 1);
                m->setRaw(r, LoanPage::ColAmount, QVariant::fromValue(Money::fromYuan(300)));
                m->setRaw(r, LoanPage::ColRemark, tag);
            },
            {}};
}

GridPage topCategories(const char* name, const char* entry, const char* objectName, std::function<QWidget*()> make,
                       char cls, const QString& together)
{
    return {name,
            entry,
            objectName,
            std::move(make),
            "DBGridEh4",
            "Button29",
            "Button31",
            QStringLiteral("s_fenlei"),
            "f_name",
            QStringLiteral("f_id=0 and f_class='") + QChar::fromLatin1(cls) + u'\'',
            together,
            {{"name", 2, "f_name", 50}},
            QStringLiteral("select %1 from s_fenlei where f_id=0 and f_class='") + QChar::fromLatin1(cls)
                + QStringLiteral("' order by id"),
            {},
            [name](QWidget* w, const QString& tag) {
                const int row = addRow(w, self(name));
                editCell(w, "DBGridEh4", row, 2, tag);
                return row;
            },
            [](BatchModel* m, int r, const QString& tag) { m->setRaw(r, 2, tag); },
            {}};
}

const QString kDining = QStringLiteral("(select id from s_fenlei where f_name='餐饮')");

}  // namespace

const QList<GridPage>& all()
{
    static const QList<GridPage> pages{
        {"accounts",
         "Label11",
         "f_zhanghu",
         maker<Tf_zhanghu>(),
         "DBGridEh3",
         "Button27",
         "Button9",
         QStringLiteral("z_zhanghu"),
         "z_name",
         QStringLiteral("z_qcje=50000"),
         {},
         {{"name", Tf_zhanghu::ColName, "z_name", 50}, {"remark", Tf_zhanghu::ColRemark, "z_other", 0}},
         QStringLiteral("select %1 from z_zhanghu order by id"),
         {},
         [](QWidget* w, const QString& tag) {
             const int row = addRow(w, self("accounts"));
             editCell(w, "DBGridEh3", row, Tf_zhanghu::ColName, tag);
             editCell(w, "DBGridEh3", row, Tf_zhanghu::ColOpening, QStringLiteral("5"));
             return row;
         },
         [](BatchModel* m, int r, const QString& tag) {
             m->setRaw(r, Tf_zhanghu::ColName, tag);
             m->setRaw(r, Tf_zhanghu::ColOpening, QVariant::fromValue(Money::fromYuan(5)));
         },
         {}},
        {"transfers",
         "Label16",
         "f_zhuanzhang",
         maker<Tf_zhuanzhang>(),
         "DBGridEh7",
         "Button38",
         "Button40",
         QStringLiteral("s_zhanghistory"),
         "other",
         QStringLiteral("zXmoney=75000 and zh1=1 and zh2=2"),
         {},
         {{"remark", Tf_zhuanzhang::ColRemark, "other", 250}},
         QStringLiteral("select %1 from s_zhanghistory order by zdate,id"),
         {},
         [](QWidget* w, const QString& tag) {
             const int row = addRow(w, self("transfers"));
             // From and to are look-ups: the key goes in.
             editCell(w, "DBGridEh7", row, Tf_zhuanzhang::ColFromName, 1);
             editCell(w, "DBGridEh7", row, Tf_zhuanzhang::ColToName, 2);
             editCell(w, "DBGridEh7", row, Tf_zhuanzhang::ColAmount, QStringLiteral("7.5"));
             editCell(w, "DBGridEh7", row, Tf_zhuanzhang::ColRemark, tag);
             return row;
         },
         {},
         {}},
        loans("borrowed", "Label15", "f_jieru", maker<Tf_jieru>(), 'S'),
        loans("lent", "Label26", "f_jiechu", maker<Tf_jiechu>(), 'Z'),
        {"budget",
         "Label22",
         "f_yushuan",
         maker<Tf_yushuan>(),
         "DBGridEh9",
         nullptr,
         "Button1",
         QStringLiteral("s_yushuan"),
         "y_x",
         {},
         {},
         {{"remark", Tf_yushuan::DefRemark, "y_x", 50}},
         QStringLiteral("select %1 from s_yushuan order by id"),
         {},
         // No new rows: the first row without a remark takes the tag.
         [](QWidget* w, const QString& tag) {
             const QStringList remarks = column(w, "DBGridEh9", Tf_yushuan::DefRemark);
             const int row = int(remarks.indexOf(QString()));
             if (row < 0)
                 fail(QStringLiteral("every budget row has a remark already"));
             editCell(w, "DBGridEh9", row, Tf_yushuan::DefRemark, tag);
             return row;
         },
         {},
         {}},
        topCategories(
            "expense categories", "Label13", "F_zhichuleibie", maker<TF_zhichuleibie>(), 'Z',
            QStringLiteral(
                "select count(*) from s_yushuan where f_id in (select id from s_fenlei where f_name like '%1')")),
        topCategories("income categories", "Label12", "F_shouruleibie", maker<TF_shouruleibie>(), 'S', {}),
        {"sub-categories",
         "Label13",
         "F_zhichuleibie",
         maker<TF_zhichuleibie>(),
         "DBGridEh5",
         "Button32",
         "Button34",
         QStringLiteral("s_fenlei"),
         "f_name",
         QStringLiteral("f_id=") + kDining,
         {},
         {{"name", 3, "f_name", 50}, {"quick code", 4, "f_pinyin", 50}},
         QStringLiteral("select %1 from s_fenlei where f_id=") + kDining + QStringLiteral(" order by id"),
         [](QWidget* w) { selectCell(w, "DBGridEh4", 0, 2); },  // 餐饮
         [](QWidget* w, const QString& tag) {
             const int row = addRow(w, self("sub-categories"));
             editCell(w, "DBGridEh5", row, 3, tag);
             return row;
         },
         {},
         {}},
        {"members",
         "Label24",
         "f_system",
         maker<Tf_system>(),
         "DBGridEh16",
         "Button46",
         "Button48",
         QStringLiteral("s_user"),
         "sys_name",
         {},
         {},
         {{"name", Tf_system::ColName, "sys_name", 50}, {"password", Tf_system::ColPassword, "sys_pwd", 0}},
         QStringLiteral("select %1 from s_user order by id"),
         {},
         [](QWidget* w, const QString& tag) {
             const int row = addRow(w, self("members"));
             editCell(w, "DBGridEh16", row, Tf_system::ColName, tag);
             editCell(w, "DBGridEh16", row, Tf_system::ColPassword, QStringLiteral("1"));
             return row;
         },
         [](BatchModel* m, int r, const QString& tag) {
             m->setRaw(r, Tf_system::ColName, tag);
             m->setRaw(r, Tf_system::ColPassword, QStringLiteral("pw"));
         },
         {}},
        // The diary's text is typed into its memo, not the grid.
        {"diary",
         "Label4",
         "f_rijiben",
         maker<Tf_rijiben>(),
         "DBGridEh1",
         "Button1",
         "Button4",
         QStringLiteral("notebook"),
         "n_info",
         {},
         {},
         {{"text", Tf_rijiben::ColInfo, "n_info", 0}},
         QStringLiteral("select %1 from notebook order by id"),
         {},
         [](QWidget* w, const QString& tag) {
             auto* memo = find<QPlainTextEdit>(w, "DBMemo1");
             if (!memo->toPlainText().isEmpty())
                 click(w, "Button1");  // writes the entry before, starts a new one
             memo->setPlainText(tag);
             return 0;
         },
         {},
         [](QWidget* w, int, int) { return find<QPlainTextEdit>(w, "DBMemo1")->toPlainText(); }},
    };
    return pages;
}

const GridPage& page(const QString& name)
{
    for (const GridPage& p : all())
        if (QString::fromLatin1(p.name) == name)
            return p;
    qFatal("no grid page %s", qPrintable(name));
}

QString countSql(const GridPage& p, const QString& tag)
{
    return QStringLiteral("select count(*) from %1 where %2 like '%3'%4")
        .arg(p.table, QString::fromLatin1(p.tagField), tag,
             p.valid.isEmpty() ? QString() : QStringLiteral(" and ") + p.valid);
}

int tagColumn(const GridPage& p)
{
    for (const TextColumn& c : p.texts)
        if (qstrcmp(c.field, p.tagField) == 0)
            return c.column;
    qFatal("%s: no text column for its tag", p.name);
}

QWidget* open(const GridPage& p, const SourceLocation& where)
{
    QWidget* w = p.make();
    w->show();
    if (p.open)
        p.open(w);
    // Some pages list their rows just after they show.
    DataGrid* g = grid(w, QString::fromLatin1(p.grid), where);
    for (int waited = 0; g->model()->columnCount() == 0 && waited < 2000; waited += 10)
        QTest::qWait(10);
    return w;
}

QString shown(const GridPage& p, QWidget* w, int row, int column, const SourceLocation& where)
{
    return p.shown ? p.shown(w, row, column) : cell(w, QString::fromLatin1(p.grid), row, column, where);
}

bool pendingRowHolds(const GridPage& p, QWidget* w, int row, int column, const QString& text,
                     const SourceLocation& where)
{
    if (shown(p, w, row, column, where) != text)
        return false;
    if (p.shown)
        return true;  // the memo holds what is not yet saved
    auto* model = qobject_cast<BatchModel*>(grid(w, QString::fromLatin1(p.grid), where)->model());
    return model && model->hasPending();
}

}  // namespace GridPages
