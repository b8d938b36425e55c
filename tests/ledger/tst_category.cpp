// The category pages: both lists edited in batches, saves, deletes and quick codes.
#include "ledger/TF_shouruleibie.h"
#include "ledger/TF_zhichuleibie.h"
#include "ledger/Tf_shouru.h"
#include "ledger/Tf_zhichu.h"
#include "tests/support/Driver.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"

#include <QLineEdit>
#include <QTest>

using namespace Driver;

class TstCategory : public QObject {
    Q_OBJECT
private slots:
    void opening()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("insert into s_fenlei (f_id,f_class,f_name) values (0,null,'classless')"));
        TF_zhichuleibie page;
        QCOMPARE(column(&page, "DBGridEh4", 2).first(), QStringLiteral("餐饮"));
        QVERIFY(grid(&page, "DBGridEh4")->isColumnHidden(0));
        QVERIFY(grid(&page, "DBGridEh4")->isColumnHidden(1));
        QCOMPARE(column(&page, "DBGridEh5", 3), (QStringList{QStringLiteral("早餐"), QStringLiteral("午餐"), QStringLiteral("晚餐"), QStringLiteral("水果零食")}));
        QCOMPARE(column(&page, "DBGridEh5", 4).first(), QStringLiteral("zc"));
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='classless'")), qint64(0));
        QCOMPARE(grid(&page, "DBGridEh4")->toolTip(), QStringLiteral("先点〔增加〕输入内容 再 〔保存〕"));
        // Moving in the top list shows that category's sub-categories.
        selectCell(&page, "DBGridEh4", 2, 2);
        QCOMPARE(page.currentTopId(), QString::number(TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='交通通讯'"))));
        QCOMPARE(column(&page, "DBGridEh5", 3).size(), 4);

        TestDb::sql(QStringLiteral("delete from s_fenlei where f_class='S'"));
        TF_shouruleibie income;  // no income category: one blank row to type into
        QCOMPARE(rowCount(&income, "DBGridEh4"), 1);
        QCOMPARE(column(&income, "DBGridEh4", 2), QStringList{QString()});
        TEST_END
    }

    void saveNewCategoriesWithoutClicks()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("delete from s_yushuan"));
        TF_shouruleibie page;
        auto& boxes = f.boxes;
        click(&page, "Button29");
        const int row = rowCount(&page, "DBGridEh4") - 1;
        static_cast<BatchModel*>(grid(&page, "DBGridEh4")->model())->setRaw(row, 2, QStringLiteral("理财收益"));
        click(&page, "Button31");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("是否确定保存数据？")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select f_class||f_id from s_fenlei where f_name='理财收益'")), QStringLiteral("S0"));
        // The top-level save gives every expense category its budget row.
        QCOMPARE(TestDb::count(QStringLiteral("s_yushuan")), TestDb::count(QStringLiteral("s_fenlei where f_id=0 and f_class='Z'")));

        // A sub-category under it, typed straight away; the quick code follows the name.
        const int top = column(&page, "DBGridEh4", 2).indexOf(QStringLiteral("理财收益"));
        selectCell(&page, "DBGridEh4", top, 2);
        QCOMPARE(rowCount(&page, "DBGridEh5"), 1);  // a blank row to type into
        editCell(&page, "DBGridEh5", 0, 3, QStringLiteral("基金分红"));
        QCOMPARE(column(&page, "DBGridEh5", 4), QStringList{QStringLiteral("jjfh")});
        editCell(&page, "DBGridEh5", 0, 3, QStringLiteral("Fund"));  // no code: the old one stays
        QCOMPARE(column(&page, "DBGridEh5", 4), QStringList{QStringLiteral("jjfh")});
        editCell(&page, "DBGridEh5", 0, 3, QStringLiteral("基金分红"));
        editCell(&page, "DBGridEh5", 0, 4, QStringLiteral("fund"));  // typed by hand
        boxes.clear();
        click(&page, "Button34");
        const QString parent = page.currentTopId();
        QCOMPARE(TestDb::scalarText(QStringLiteral("select f_class||'/'||f_id||'/'||f_pinyin from s_fenlei where f_name='基金分红'")),
                 QStringLiteral("S/%1/fund").arg(parent));

        // It shows in the income page's picker and its code finds it.
        TestDb::sql(QStringLiteral("update s_fenlei set f_pinyin='jjfh' where f_name='基金分红'"));
        Tf_shouru entry;
        entry.show();
        typeText(&entry, "Edit3", QStringLiteral("jjfh"));
        QCOMPARE(column(&entry, "DBGridEh2", 0), QStringList{QStringLiteral("基金分红")});
        TEST_END
    }

    void failedSaveKeepsPendingRows()
    {
        TEST_BEGIN
        PageFixture f;
        TF_zhichuleibie page;
        auto& boxes = f.boxes;
        const int before = rowCount(&page, "DBGridEh4");
        click(&page, "Button29");
        editCell(&page, "DBGridEh4", before, 2, QStringLiteral("新大类"));
        click(&page, "Button29");
        editCell(&page, "DBGridEh4", before + 1, 2, QStringLiteral("午餐"));  // exists as a sub-category
        click(&page, "Button31");
        QCOMPARE(boxes.texts(), (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("错误！不能有空行和重复的项目名称。")}));
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='新大类'")), qint64(0));  // rolled back
        QCOMPARE(rowCount(&page, "DBGridEh4"), before + 2);        // still pending
        // A blank row is refused the same way.
        editCell(&page, "DBGridEh4", before + 1, 2, QString());
        boxes.clear();
        click(&page, "Button31");
        QCOMPARE(boxes.texts().last(), QStringLiteral("错误！不能有空行和重复的项目名称。"));
        // Cancel drops the pending rows.
        boxes.clear();
        boxes.setAnswer(QMessageBox::Cancel);
        click(&page, "Button31");
        QCOMPARE(rowCount(&page, "DBGridEh4"), before);
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='新大类'")), qint64(0));
        TEST_END
    }

    void deletes()
    {
        TEST_BEGIN
        PageFixture f;
        for (const char* cat : {"早餐", "午餐", "打车"})
            addRecord(QString::fromUtf8(cat), QStringLiteral("1"), QDate(2012, 5, 1), QString());
        const qint64 canyin = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='餐饮'"));
        TF_zhichuleibie page;
        auto& boxes = f.boxes;
        // Sub-category: asks, then removes it and its records.
        selectCell(&page, "DBGridEh5", 0, 3);
        click(&page, "Button33");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("删除该分类，会删除该分类下所有记账信息！")});
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='早餐'")), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(2));
        // Top level: its sub-categories, their records and its budget row go.
        selectCell(&page, "DBGridEh4", 0, 2);
        boxes.clear();
        click(&page, "Button30");
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_id=%1 or id=%1").arg(canyin)), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_yushuan where f_id=%1").arg(canyin)), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(1));

        // A failing statement inside the delete leaves everything as it was.
        TestDb::sql(QStringLiteral("create trigger no_budget_delete before delete on s_yushuan begin select raise(abort, 'budget locked'); end"));
        const qint64 cats = TestDb::count(QStringLiteral("s_fenlei"));
        selectCell(&page, "DBGridEh4", 0, 2);
        boxes.clear();
        click(&page, "Button30");
        QCOMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[1].text, QStringLiteral("数据库操作失败：\nbudget locked"));
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei")), cats);
        TestDb::sql(QStringLiteral("drop trigger no_budget_delete"));
        TEST_END
    }

    void lastCategoryStays()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("delete from s_fenlei where f_id=0 and f_class='Z' and f_name<>'餐饮'"));
        TF_zhichuleibie page;
        auto& boxes = f.boxes;
        click(&page, "Button29");  // a blank unsaved row does not count
        selectCell(&page, "DBGridEh4", 0, 2);
        click(&page, "Button30");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("错误提示：至少保留一个类别！")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='餐饮'")), qint64(1));
        // Deleting while an unsaved top row is current does nothing.
        TestDb::sql(QStringLiteral("insert into s_fenlei (f_id,f_class,f_name) values (0,'Z','第二')"));
        TF_zhichuleibie again;
        click(&again, "Button29");
        selectCell(&again, "DBGridEh4", 2, 2);
        boxes.clear();
        click(&again, "Button30");
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_id=0 and f_class='Z'")), qint64(2));
        TEST_END
    }

    void newCategoryInEntryPicker()
    {
        TEST_BEGIN
        PageFixture f;
        {
            TF_zhichuleibie page;
            click(&page, "Button32");
            const int row = rowCount(&page, "DBGridEh5") - 1;
            editCell(&page, "DBGridEh5", row, 3, QStringLiteral("奶茶"));
            click(&page, "Button34");
        }
        Tf_zhichu entry;
        entry.show();
        typeText(&entry, "Edit3", QStringLiteral("nc"));
        QCOMPARE(column(&entry, "DBGridEh2", 0), QStringList{QStringLiteral("奶茶")});
        QCOMPARE(column(&entry, "DBGridEh2", 1), QStringList{QStringLiteral("nc")});
        TEST_END
    }
};

QTEST_MAIN(TstCategory)
#include "tst_category.moc"
