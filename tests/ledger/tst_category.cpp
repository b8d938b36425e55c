// The category pages: both lists edited in batches, saves, deletes and quick codes.
#include "data/Clock.h"
#include "ledger/TF_shouruleibie.h"
#include "ledger/TF_zhichuleibie.h"
#include "ledger/Tf_zhichu.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/TestDb.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
DataGrid* grid(QWidget* page, const char* name) { return page->findChild<DataGrid*>(QString::fromLatin1(name)); }

void click(QWidget* page, const char* name)
{
    QTest::mouseClick(page->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
}

// Types into a cell the way the grid's editor hands it to the model.
void type(QWidget* page, const char* gridName, int row, int col, const QString& text)
{
    DataGrid* g = grid(page, gridName);
    g->setCurrentIndex(g->model()->index(row, col));
    QVERIFY(g->model()->setData(g->model()->index(row, col), text));
}

QStringList names(QWidget* page, const char* gridName, int col)
{
    QStringList out;
    auto* m = grid(page, gridName)->model();
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, col).data().toString();
    return out;
}

void selectRow(QWidget* page, const char* gridName, int row, int col)
{
    DataGrid* g = grid(page, gridName);
    g->setCurrentIndex(g->model()->index(row, col));
}

qint64 count(const QString& where) { return TestDb::scalarInt(QStringLiteral("select count(*) from ") + where); }
}

class TstCategory : public QObject {
    Q_OBJECT
private slots:
    void opening()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("insert into s_fenlei (f_id,f_class,f_name) values (0,null,'classless')"));
        TF_zhichuleibie page;
        QCOMPARE(names(&page, "DBGridEh4", 2).first(), QStringLiteral("餐饮"));
        QVERIFY(grid(&page, "DBGridEh4")->isColumnHidden(0));
        QVERIFY(grid(&page, "DBGridEh4")->isColumnHidden(1));
        QCOMPARE(names(&page, "DBGridEh5", 3), (QStringList{QStringLiteral("早餐"), QStringLiteral("午餐"), QStringLiteral("晚餐"), QStringLiteral("水果零食")}));
        QCOMPARE(names(&page, "DBGridEh5", 4).first(), QStringLiteral("zc"));
        QCOMPARE(count(QStringLiteral("s_fenlei where f_name='classless'")), qint64(0));
        QCOMPARE(grid(&page, "DBGridEh4")->toolTip(), QStringLiteral("先点〔增加〕输入内容 再 〔保存〕"));
        // Moving in the top list shows that category's sub-categories.
        selectRow(&page, "DBGridEh4", 2, 2);
        QCOMPARE(page.currentTopId(), QString::number(TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='交通通讯'"))));
        QCOMPARE(names(&page, "DBGridEh5", 3).size(), 4);

        TestDb::sql(QStringLiteral("delete from s_fenlei where f_class='S'"));
        TF_shouruleibie income;  // no income category: one blank row to type into
        QCOMPARE(grid(&income, "DBGridEh4")->model()->rowCount(), 1);
        QCOMPARE(names(&income, "DBGridEh4", 2), QStringList{QString()});
    }

    void saveNewCategoriesWithoutClicks()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("delete from s_yushuan"));
        TF_shouruleibie page;
        BoxAnswerer boxes;
        click(&page, "Button29");
        const int row = grid(&page, "DBGridEh4")->model()->rowCount() - 1;
        static_cast<BatchModel*>(grid(&page, "DBGridEh4")->model())->setRaw(row, 2, QStringLiteral("理财收益"));
        click(&page, "Button31");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("是否确定保存数据？")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select f_class||f_id from s_fenlei where f_name='理财收益'")), QStringLiteral("S0"));
        // The top-level save gives every expense category its budget row.
        QCOMPARE(count(QStringLiteral("s_yushuan")), count(QStringLiteral("s_fenlei where f_id=0 and f_class='Z'")));

        // A sub-category under it, typed straight away; the quick code follows the name.
        const int top = names(&page, "DBGridEh4", 2).indexOf(QStringLiteral("理财收益"));
        selectRow(&page, "DBGridEh4", top, 2);
        QCOMPARE(grid(&page, "DBGridEh5")->model()->rowCount(), 1);  // a blank row to type into
        type(&page, "DBGridEh5", 0, 3, QStringLiteral("基金分红"));
        QCOMPARE(names(&page, "DBGridEh5", 4), QStringList{QStringLiteral("jjfh")});
        type(&page, "DBGridEh5", 0, 3, QStringLiteral("Fund"));  // no code: the old one stays
        QCOMPARE(names(&page, "DBGridEh5", 4), QStringList{QStringLiteral("jjfh")});
        type(&page, "DBGridEh5", 0, 3, QStringLiteral("基金分红"));
        type(&page, "DBGridEh5", 0, 4, QStringLiteral("fund"));  // typed by hand
        boxes.clear();
        click(&page, "Button34");
        const QString parent = page.currentTopId();
        QCOMPARE(TestDb::scalarText(QStringLiteral("select f_class||'/'||f_id||'/'||f_pinyin from s_fenlei where f_name='基金分红'")),
                 QStringLiteral("S/%1/fund").arg(parent));

        // It shows in the income page's picker and its code finds it.
        TestDb::sql(QStringLiteral("update s_fenlei set f_pinyin='jjfh' where f_name='基金分红'"));
    }

    void failedSaveKeepsPendingRows()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TF_zhichuleibie page;
        BoxAnswerer boxes;
        const int before = grid(&page, "DBGridEh4")->model()->rowCount();
        click(&page, "Button29");
        type(&page, "DBGridEh4", before, 2, QStringLiteral("新大类"));
        click(&page, "Button29");
        type(&page, "DBGridEh4", before + 1, 2, QStringLiteral("午餐"));  // exists as a sub-category
        click(&page, "Button31");
        QCOMPARE(boxes.texts(), (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("错误！不能有空行和重复的项目名称。")}));
        QCOMPARE(count(QStringLiteral("s_fenlei where f_name='新大类'")), qint64(0));  // rolled back
        QCOMPARE(grid(&page, "DBGridEh4")->model()->rowCount(), before + 2);        // still pending
        // A blank row is refused the same way.
        type(&page, "DBGridEh4", before + 1, 2, QString());
        boxes.clear();
        click(&page, "Button31");
        QCOMPARE(boxes.texts().last(), QStringLiteral("错误！不能有空行和重复的项目名称。"));
        // Cancel drops the pending rows.
        boxes.clear();
        boxes.setAnswer(QMessageBox::Cancel);
        click(&page, "Button31");
        QCOMPARE(grid(&page, "DBGridEh4")->model()->rowCount(), before);
        QCOMPARE(count(QStringLiteral("s_fenlei where f_name='新大类'")), qint64(0));
    }

    void deletes()
    {
        TestDb t;
        QVERIFY(t.openShared());
        auto rec = [](const char* cat) {
            TestDb::sql(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
                                       "select id,10000,1,1,'2012-05-01','Z' from s_fenlei where f_name='%1'").arg(QString::fromUtf8(cat)));
        };
        rec("早餐");
        rec("午餐");
        rec("打车");
        const qint64 canyin = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='餐饮'"));
        TF_zhichuleibie page;
        BoxAnswerer boxes;
        // Sub-category: asks, then removes it and its records.
        selectRow(&page, "DBGridEh5", 0, 3);
        click(&page, "Button33");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("删除该分类，会删除该分类下所有记账信息！")});
        QCOMPARE(count(QStringLiteral("s_fenlei where f_name='早餐'")), qint64(0));
        QCOMPARE(count(QStringLiteral("s_shouru")), qint64(2));
        // Top level: its sub-categories, their records and its budget row go.
        selectRow(&page, "DBGridEh4", 0, 2);
        boxes.clear();
        click(&page, "Button30");
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(count(QStringLiteral("s_fenlei where f_id=%1 or id=%1").arg(canyin)), qint64(0));
        QCOMPARE(count(QStringLiteral("s_yushuan where f_id=%1").arg(canyin)), qint64(0));
        QCOMPARE(count(QStringLiteral("s_shouru")), qint64(1));

        // A failing statement inside the delete leaves everything as it was.
        TestDb::sql(QStringLiteral("create trigger no_budget_delete before delete on s_yushuan begin select raise(abort, 'budget locked'); end"));
        const qint64 cats = count(QStringLiteral("s_fenlei"));
        selectRow(&page, "DBGridEh4", 0, 2);
        boxes.clear();
        click(&page, "Button30");
        QCOMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[1].text, QStringLiteral("数据库操作失败：\nbudget locked"));
        QCOMPARE(count(QStringLiteral("s_fenlei")), cats);
        TestDb::sql(QStringLiteral("drop trigger no_budget_delete"));
    }

    void lastCategoryStays()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("delete from s_fenlei where f_id=0 and f_class='Z' and f_name<>'餐饮'"));
        TF_zhichuleibie page;
        BoxAnswerer boxes;
        click(&page, "Button29");  // a blank unsaved row does not count
        selectRow(&page, "DBGridEh4", 0, 2);
        click(&page, "Button30");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("错误提示：至少保留一个类别！")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(count(QStringLiteral("s_fenlei where f_name='餐饮'")), qint64(1));
        // Deleting while an unsaved top row is current does nothing.
        TestDb::sql(QStringLiteral("insert into s_fenlei (f_id,f_class,f_name) values (0,'Z','第二')"));
        TF_zhichuleibie again;
        click(&again, "Button29");
        selectRow(&again, "DBGridEh4", 2, 2);
        boxes.clear();
        click(&again, "Button30");
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(count(QStringLiteral("s_fenlei where f_id=0 and f_class='Z'")), qint64(2));
    }

    void newCategoryInEntryPicker()
    {
        TestDb t;
        QVERIFY(t.openShared());
        {
            TF_zhichuleibie page;
            BoxAnswerer boxes;
            click(&page, "Button32");
            const int row = grid(&page, "DBGridEh5")->model()->rowCount() - 1;
            type(&page, "DBGridEh5", row, 3, QStringLiteral("奶茶"));
            click(&page, "Button34");
        }
        Clock::setFixed(QDateTime(QDate(2012, 5, 20), QTime(9, 0)));
        Tf_zhichu entry;
        entry.show();
        auto* cat = entry.findChild<QLineEdit*>(QStringLiteral("Edit3"));
        QTest::keyClicks(cat, QStringLiteral("nc"));
        QCOMPARE(names(&entry, "DBGridEh2", 0), QStringList{QStringLiteral("奶茶")});
        QCOMPARE(names(&entry, "DBGridEh2", 1), QStringList{QStringLiteral("nc")});
        Clock::setFixed({});
    }
};

QTEST_MAIN(TstCategory)
#include "tst_category.moc"
