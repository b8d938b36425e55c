// The category pages: both lists edited in batches, saves, deletes and quick codes.
#include "ledger/TF_shouruleibie.h"
#include "ledger/TF_zhichuleibie.h"
#include "ledger/Tf_zhichu.h"
#include "tests/support/Driver.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"

#include <QTest>

using namespace Driver;

namespace {
// The page on screen with its window active, so focus can be checked.
void showActive(QWidget* page, DRIVER_HERE)
{
    page->show();
    page->activateWindow();
    if (!QTest::qWaitForWindowActive(page))
        fail(QStringLiteral("the page's window never became active"), where);
}

// The widget with the keyboard focus in the page's window, or the one that
// gets it when the window is active again (after a message box).
QWidget* focused(QWidget* page) { return page->window()->focusWidget(); }

bool focusIn(QWidget* page, const QString& name, DRIVER_HERE)
{
    QWidget* g = grid(page, name, where);
    return focused(page) == g || g->isAncestorOf(focused(page));
}

const QString kAsk = QStringLiteral("是否确定保存数据？");
const QStringList kSaveFails{kAsk, QStringLiteral("错误！不能有空行和重复的项目名称。")};
}

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
        QCOMPARE(column(&page, "DBGridEh5", 3).join(u' '), QStringLiteral("早餐 午餐 晚餐 水果零食"));
        QCOMPARE(column(&page, "DBGridEh5", 4).first(), QStringLiteral("zc"));
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='classless'")), qint64(0));
        QCOMPARE(grid(&page, "DBGridEh4")->toolTip(), QStringLiteral("先点〔增加〕输入内容 再 〔保存〕"));
        // Moving in the top list shows that category's sub-categories.
        selectCell(&page, "DBGridEh4", 2, 2);
        QCOMPARE(page.currentTopId(), QString::number(categoryId("交通通讯")));
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
        QCOMPARE(boxes.texts(), QStringList{kAsk});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select f_class||f_id from s_fenlei where f_name='理财收益'")),
                 QStringLiteral("S0"));
        // The top-level save gives every expense category its budget row.
        QCOMPARE(TestDb::count(QStringLiteral("s_yushuan")),
                 TestDb::count(QStringLiteral("s_fenlei where f_id=0 and f_class='Z'")));

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
        click(&page, "Button34");
        const QString parent = page.currentTopId();
        QCOMPARE(TestDb::scalarText(
                     QStringLiteral("select f_class||'/'||f_id||'/'||f_pinyin from s_fenlei where f_name='基金分红'")),
                 QStringLiteral("S/%1/fund").arg(parent));
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
        QCOMPARE(boxes.texts(), kSaveFails);
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='新大类'")), qint64(0));  // rolled back
        QCOMPARE(rowCount(&page, "DBGridEh4"), before + 2);                                    // still pending
        // Cancel drops the pending rows.
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
        const qint64 canyin = categoryId("餐饮");
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
        QCOMPARE(f.boxesAfterClick(&page, "Button30").size(), 1);
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_id=%1 or id=%1").arg(canyin)), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_yushuan where f_id=%1").arg(canyin)), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(1));

        // A failing statement inside the delete leaves everything as it was.
        TestDb::sql(QStringLiteral("create trigger no_budget_delete before delete on s_yushuan begin select "
                                   "raise(abort, 'budget locked'); end"));
        const qint64 cats = TestDb::count(QStringLiteral("s_fenlei"));
        selectCell(&page, "DBGridEh4", 0, 2);
        QCOMPARE(f.boxesAfterClick(&page, "Button30").size(), 2);
        QCOMPARE(boxes.seen[1].text, QStringLiteral("数据库操作失败：\nbudget locked"));
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei")), cats);
        TestDb::sql(QStringLiteral("drop trigger no_budget_delete"));
        TEST_END
    }

    // Choosing a top-level category (or saving the top list) puts the cursor
    // into the first sub-category's name, selected, so typing replaces it.
    void focusFollowsTheChosenCategory()
    {
        TEST_BEGIN
        PageFixture f;
        TF_zhichuleibie page;
        showActive(&page);
        grid(&page, "DBGridEh4")->setFocus();
        // Arrow keys browse the top list and leave the focus there.
        QTest::keyClick(grid(&page, "DBGridEh4"), Qt::Key_Down);
        QCOMPARE(page.currentTopId(), QString::number(categoryId(QStringLiteral("日常用品"))));
        QVERIFY(focusIn(&page, "DBGridEh4"));
        QTest::keyClick(focused(&page), Qt::Key_Down);
        QCOMPARE(page.currentTopId(), QString::number(categoryId(QStringLiteral("交通通讯"))));
        QVERIFY(focusIn(&page, "DBGridEh4"));
        QTest::keyClick(focused(&page), Qt::Key_Up);

        // A click on another category: its sub-categories show, the keyboard
        // stays in the top list and typing never reaches a sub name.
        pressCell(&page, "DBGridEh4", 2, 2);
        QCOMPARE(page.currentTopId(), QString::number(categoryId(QStringLiteral("交通通讯"))));
        QVERIFY(focusIn(&page, "DBGridEh4"));
        QTest::keyClicks(focused(&page), QStringLiteral("Metro"));
        QCOMPARE(column(&page, "DBGridEh5", 3).first(), QStringLiteral("公交地铁"));
        QVERIFY(f.boxes.seen.isEmpty());

        // After the top list's save the keyboard is in the top list again.
        grid(&page, "DBGridEh4")->commitPendingEdit();
        TestDb::sql(QStringLiteral("update s_fenlei set f_name=f_name"));  // nothing else changes
        f.boxes.setAnswer(QMessageBox::Cancel);
        click(&page, "Button31");
        f.boxes.setAnswer(QMessageBox::Ok);
        click(&page, "Button31");
        QVERIFY(focusIn(&page, "DBGridEh4"));
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='公交地铁'")), qint64(1));
        TEST_END
    }

    // The last saved top-level category stays. A row that was never saved
    // is simply taken away again, before that rule (which counts saved rows)
    // is applied.
    void unsavedRowsAreDiscarded()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("delete from s_fenlei where f_id=0 and f_class='Z' and f_name<>'餐饮'"));
        TF_zhichuleibie page;
        auto& boxes = f.boxes;
        click(&page, "Button29");  // a blank unsaved row does not count
        selectCell(&page, "DBGridEh4", 0, 2);
        QCOMPARE(f.boxesAfterClick(&page, "Button30"), QStringList{QStringLiteral("错误提示：至少保留一个类别！")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='餐饮'")), qint64(1));
        selectCell(&page, "DBGridEh4", 1, 2);
        QVERIFY(f.boxesAfterClick(&page, "Button30").isEmpty());
        QCOMPARE(column(&page, "DBGridEh4", 2), QStringList{QStringLiteral("餐饮")});

        // A blank row no longer blocks every save: remove it, save the rest.
        click(&page, "Button29");
        editCell(&page, "DBGridEh4", 1, 2, QStringLiteral("新大类"));
        click(&page, "Button29");
        QVERIFY(f.boxesAfterClick(&page, "Button30").isEmpty());  // the new row, just added
        click(&page, "Button31");
        QCOMPARE(boxes.texts(), QStringList{kAsk});
        QCOMPARE(column(&page, "DBGridEh4", 2), (QStringList{QStringLiteral("餐饮"), QStringLiteral("新大类")}));

        // The same in the sub list; saved rows stay.
        selectCell(&page, "DBGridEh4", 0, 2);
        click(&page, "Button32");
        editCell(&page, "DBGridEh5", 4, 3, QStringLiteral("夜宵"));
        QVERIFY(f.boxesAfterClick(&page, "Button33").isEmpty());
        QCOMPARE(column(&page, "DBGridEh5", 3).size(), 4);
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_id=%1").arg(categoryId(QStringLiteral("餐饮")))),
                 qint64(4));
        TEST_END
    }

    // Reloading the sub list would drop typed sub-categories: the page asks
    // to save them first, and stays where it is when that save fails.
    void typedSubCategoriesAreNotLostSilently()
    {
        TEST_BEGIN
        PageFixture f;
        addCategory(QStringLiteral("空大类"), QStringLiteral("Z"));
        TF_zhichuleibie page;
        auto& boxes = f.boxes;
        const int empty = column(&page, "DBGridEh4", 2).indexOf(QStringLiteral("空大类"));
        // The blank row the page adds to an empty list is no change.
        selectCell(&page, "DBGridEh4", empty, 2);
        QCOMPARE(rowCount(&page, "DBGridEh5"), 1);
        selectCell(&page, "DBGridEh4", 0, 2);
        QVERIFY(boxes.seen.isEmpty());

        // OK saves the typed rows under the category they were typed for.
        editCell(&page, "DBGridEh5", 0, 3, QStringLiteral("早点"));
        click(&page, "Button32");
        editCell(&page, "DBGridEh5", 4, 3, QStringLiteral("夜宵"));
        selectCell(&page, "DBGridEh4", 1, 2);  // as the arrow keys do
        QCOMPARE(boxes.texts(), QStringList{kAsk});
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(f_name) from (select f_name from s_fenlei "
                                                   "where f_id=1 and f_name in ('早点','夜宵') order by id)")),
                 QStringLiteral("早点,夜宵"));
        QCOMPARE(page.currentTopId(), QStringLiteral("2"));

        // Cancel drops them; the move goes on.
        editCell(&page, "DBGridEh5", 0, 3, QStringLiteral("日用"));
        boxes.clear();
        boxes.setAnswer(QMessageBox::Cancel);
        clickRow(&page, "DBGridEh4", 2);
        QCOMPARE(boxes.texts(), QStringList{kAsk});
        QCOMPARE(page.currentTopId(), QStringLiteral("3"));
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='日用品'")), qint64(1));

        // A failed save keeps the top row and the typed rows.
        boxes.setAnswer(QMessageBox::Ok);
        editCell(&page, "DBGridEh5", 0, 3, QStringLiteral("午餐"));  // taken
        boxes.clear();
        selectCell(&page, "DBGridEh4", 3, 2);
        QCOMPARE(boxes.texts(), kSaveFails);
        QCOMPARE(page.currentTopId(), QStringLiteral("3"));
        QCOMPARE(grid(&page, "DBGridEh4")->currentIndex().row(), 2);
        QCOMPARE(column(&page, "DBGridEh5", 3).first(), QStringLiteral("午餐"));
        // The same by mouse: the clicked row is not even selected.
        showActive(&page);
        boxes.clear();
        pressCell(&page, "DBGridEh4", 4, 2);
        QCOMPARE(boxes.texts(), kSaveFails);
        QCOMPARE(page.currentTopId(), QStringLiteral("3"));
        const QItemSelectionModel* picked = grid(&page, "DBGridEh4")->selectionModel();
        QVERIFY(picked->isSelected(picked->model()->index(2, 2)));
        QVERIFY(!picked->isSelected(picked->model()->index(4, 2)));
        // The top list's 增加, 删除 and 保存 ask too, and stop when it fails.
        const int tops = rowCount(&page, "DBGridEh4");
        for (const char* button : {"Button29", "Button30", "Button31"}) {
            QCOMPARE(f.boxesAfterClick(&page, QString::fromLatin1(button)), kSaveFails);
            QCOMPARE(rowCount(&page, "DBGridEh4"), tops);
            QCOMPARE(page.currentTopId(), QStringLiteral("3"));
        }
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where id=3")), qint64(1));
        TEST_END
    }

    // Another copy of the program may delete categories behind the page:
    // a save that would write into one that is gone writes nothing, says
    // so, and keeps the changes.
    void categoriesDeletedMeanwhile()
    {
        TEST_BEGIN
        PageFixture f;
        TF_zhichuleibie page;
        auto& boxes = f.boxes;
        editCell(&page, "DBGridEh4", 1, 2, QStringLiteral("日常"));
        TestDb::sql(QStringLiteral("delete from s_fenlei where id=2 or f_id=2"));
        click(&page, "Button31");
        QCOMPARE(boxes.texts(), (QStringList{kAsk, QStringLiteral("对不起，该类别已被删除，请刷新后重新修改")}));
        QCOMPARE(boxes.seen[1].icon, QMessageBox::Critical);
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='日常'")), qint64(0));
        QCOMPARE(cell(&page, "DBGridEh4", 1, 2), QStringLiteral("日常"));
        boxes.setAnswer(QMessageBox::Cancel);
        click(&page, "Button31");
        boxes.setAnswer(QMessageBox::Ok);

        // A new sub-category under a top-level category that is gone: no
        // row that no list would show (and whose name could never be used).
        selectCell(&page, "DBGridEh4", column(&page, "DBGridEh4", 2).indexOf(QStringLiteral("交通通讯")), 2);
        click(&page, "Button32");
        const int row = rowCount(&page, "DBGridEh5") - 1;
        editCell(&page, "DBGridEh5", row, 3, QStringLiteral("高铁"));
        TestDb::sql(QStringLiteral("delete from s_fenlei where id=3"));
        QCOMPARE(f.boxesAfterClick(&page, "Button34"),
                 (QStringList{kAsk, QStringLiteral("对不起，该大类已被删除，请刷新后重新添加")}));
        QCOMPARE(boxes.seen[1].icon, QMessageBox::Critical);
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='高铁'")), qint64(0));
        QCOMPARE(cell(&page, "DBGridEh5", row, 3), QStringLiteral("高铁"));
        TEST_END
    }

    // A saved sub-category, with the quick code made from its name, is in
    // the entry page's picker.
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
