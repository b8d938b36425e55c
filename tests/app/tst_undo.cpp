// Undo, redo and the recycle bin as a user reaches them: Ctrl+Z / Ctrl+Y
// and 撤销 in the main window over every batch page and the entry pages,
// and 系统设置 -> 回收站 -> 还原.
#include "app/TForm1.h"
#include "data/Journal.h"
#include "data/RecycleBin.h"
#include "settings/Tf_huishouzhan.h"
#include "tests/support/Driver.h"
#include "tests/support/GridPages.h"
#include "ui/LookupCombo.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Driver;

namespace {

// The boxes seen, as "text" and the icon's number.
QStringList seen(const BoxAnswerer& boxes)
{
    QStringList out;
    for (const SeenBox& b : boxes.seen)
        out << QStringLiteral("%1 (%2)").arg(b.text).arg(int(b.icon));
    return out;
}

QString question(const QString& text) { return QStringLiteral("%1 (%2)").arg(text).arg(int(QMessageBox::Question)); }
QString notice(const QString& text) { return QStringLiteral("%1 (%2)").arg(text).arg(int(QMessageBox::Information)); }

// The main window shown, its start over (the start page read without a
// start-up reads as none and says so).
void showForm(TForm1& form, PageFixture& f)
{
    form.show();
    QTest::qWait(20);
    f.boxes.clear();
}

// A key pressed on the page shown, then the posted question answered.
void press(TForm1& form, int key)
{
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.currentPage();
    QTest::keyClick(target, Qt::Key(key), Qt::ControlModifier);
    QTest::qWait(50);
}

}  // namespace

class TstUndo : public QObject {
    Q_OBJECT
private slots:
    // Each batch page's save is one action: Ctrl+Z takes it back after the
    // question, Ctrl+Y brings it again. Edits not saved are asked about
    // first, and then are the action undone.
    void batchSaveIsOneAction_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("saved");
        for (const GridPages::GridPage& p : GridPages::all()) {
            QTest::addRow("%s saved", p.name) << QString::fromLatin1(p.name) << true;
            QTest::addRow("%s pending", p.name) << QString::fromLatin1(p.name) << false;
        }
    }
    void batchSaveIsOneAction()
    {
        QFETCH(QString, page);
        QFETCH(bool, saved);
        TEST_BEGIN
        PageFixture f;
        const GridPages::GridPage& p = GridPages::page(page);
        TForm1 form(false);
        showForm(form, f);
        clickLabel(&form, QString::fromLatin1(p.entry));
        QWidget* w = form.currentPage();
        QCOMPARE(w->objectName(), QString::fromLatin1(p.objectName));
        if (p.open)
            p.open(w);
        p.typeRow(w, QStringLiteral("撤销测试"));
        const QString count = GridPages::countSql(p, QStringLiteral("撤销测试"));
        if (saved) {
            click(w, QString::fromLatin1(p.save));
            QCOMPARE(TestDb::scalarInt(count), qint64(1));
        }
        f.boxes.clear();
        press(form, Qt::Key_Z);
        // The diary writes its entry without asking, as when it is left.
        const bool asked = !saved && page != u"diary";
        const QStringList boxes = seen(f.boxes);
        QVERIFY2(boxes.size() == (asked ? 3 : 2), qPrintable(boxes.join(u'\n')));
        if (asked)
            QCOMPARE(boxes[0], question(QStringLiteral("是否确定保存数据？")));
        const QString label = f.boxes.seen[asked ? 1 : 0].text.mid(5).chopped(1);  // 是否撤销：<label>？
        QCOMPARE(boxes[asked ? 1 : 0], question(QStringLiteral("是否撤销：%1？").arg(label)));
        QVERIFY2(label.startsWith(QStringLiteral("保存")), qPrintable(label));
        QCOMPARE(boxes.last(), notice(QStringLiteral("已撤销：%1").arg(label)));
        QCOMPARE(TestDb::scalarInt(count), qint64(0));
        QVERIFY(form.currentPage() != w);  // made anew, showing what is stored
        QCOMPARE(form.currentPage()->objectName(), QString::fromLatin1(p.objectName));
        f.boxes.clear();
        press(form, Qt::Key_Y);
        QCOMPARE(seen(f.boxes), (QStringList{question(QStringLiteral("是否重做：%1？").arg(label)),
                                             notice(QStringLiteral("已重做：%1").arg(label))}));
        QCOMPARE(TestDb::scalarInt(count), qint64(1));
        TEST_END
    }

    // An expense deleted on its page: 撤销 brings it back in the day list;
    // deleted again, 回收站 -> 还原 brings it back too, with its id.
    void deletedExpenseComesBack()
    {
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        showForm(form, f);
        auto* undo = find<QWidget>(&form, "Label30");
        auto* import = find<QWidget>(&form, "Label29");
        QCOMPARE(undo->font(), import->font());
        QCOMPARE(undo->palette().color(QPalette::WindowText), import->palette().color(QPalette::WindowText));
        QVERIFY(undo->geometry().right() < import->x() && undo->y() == import->y());
        QVERIFY(form.children().indexOf(undo) > form.children().indexOf(find<QWidget>(&form, "Label28")));
        clickLabel(&form, "Label30");
        QCOMPARE(seen(f.boxes), QStringList{notice(QStringLiteral("没有可撤销的操作"))});

        const qint64 id = addRecord(QStringLiteral("早餐"), QStringLiteral("12.5"), QDate(2012, 5, 20));
        clickLabel(&form, "Label9");
        // Typing is undone by its own field first.
        auto* remark = find<QLineEdit>(form.currentPage(), "Edit2");
        remark->setFocus();
        typeText(form.currentPage(), "Edit2", QStringLiteral("abc"));
        QTest::keyClick(remark, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(remark->text(), QString());
        f.boxes.clear();
        press(form, Qt::Key_Z);
        QCOMPARE(seen(f.boxes), QStringList{notice(QStringLiteral("没有可撤销的操作"))});
        clickRow(form.currentPage(), "DBGridEh1", 0);
        f.boxes.clear();
        click(form.currentPage(), "Button2");
        QCOMPARE(rowCount(form.currentPage(), "DBGridEh1"), 0);
        const QString label = QStringLiteral("删除支出 早餐 12.50");
        f.boxes.setAnswer(QMessageBox::Cancel);
        clickLabel(&form, "Label30");
        QCOMPARE(seen(f.boxes).last(), question(QStringLiteral("是否撤销：%1？").arg(label)));
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru where id=%1").arg(id)), qint64(0));
        f.boxes.setAnswer(QMessageBox::Ok);
        f.boxes.clear();
        clickLabel(&form, "Label30");
        QCOMPARE(seen(f.boxes).last(), notice(QStringLiteral("已撤销：%1").arg(label)));
        QCOMPARE(column(form.currentPage(), "DBGridEh1", 0), QStringList{QString::number(id)});

        clickRow(form.currentPage(), "DBGridEh1", 0);
        click(form.currentPage(), "Button2");
        clickLabel(&form, "Label24");
        click(form.currentPage(), "Button70");
        QTest::qWait(50);
        QWidget* bin = form.currentPage();
        QCOMPARE(bin->objectName(), QStringLiteral("f_huishouzhan"));
        QCOMPARE(rowTexts(bin, "DBGridEh1", 3).value(0).section(u' ', 2), label + QStringLiteral(" 收支记录 1 笔"));
        f.boxes.clear();
        click(bin, "Button1");
        QCOMPARE(seen(f.boxes), QStringList{notice(QStringLiteral("已还原：%1").arg(label))});
        QCOMPARE(rowCount(bin, "DBGridEh1"), 0);
        clickLabel(&form, "Label9");
        QCOMPARE(column(form.currentPage(), "DBGridEh1", 0), QStringList{QString::number(id)});
        TEST_END
    }
    // A record whose category was removed for good: 还原 asks where it goes
    // (the categories of its class), and it goes there; 取消 restores nothing.
    void restoreAsksForAGoneCategory_data()
    {
        QTest::addColumn<bool>("pick");
        QTest::newRow("picked") << true;
        QTest::newRow("cancelled") << false;
    }
    void restoreAsksForAGoneCategory()
    {
        QFETCH(bool, pick);
        TEST_BEGIN
        PageFixture f;
        const qint64 snack = addCategory(QStringLiteral("夜宵"), QStringLiteral("Z"), QStringLiteral("餐饮"));
        const qint64 id = addRecord(QStringLiteral("夜宵"), QStringLiteral("30"), QDate(2012, 5, 19));
        auto remove = [](const QString& label, const QString& sql) {
            JournalAction a(Database::shared(), label, QString::fromLatin1(ActionKind::Delete));
            TestDb::sql(sql);
            const qint64 action = a.id();
            return a.finish() ? action : 0;
        };
        QVERIFY(
            remove(QStringLiteral("删除支出 夜宵 30.00"), QStringLiteral("delete from s_shouru where id=%1").arg(id)));
        const qint64 category = remove(QStringLiteral("删除类别“夜宵”及其 0 笔记录"),
                                       QStringLiteral("delete from s_fenlei where id=%1").arg(snack));
        QVERIFY(category && removeFromBin(Database::shared(), category));
        Tf_huishouzhan bin;
        bin.show();
        QCOMPARE(column(&bin, "DBGridEh1", Tf_huishouzhan::ColLabel),
                 QStringList{QStringLiteral("删除支出 夜宵 30.00")});
        QStringList offered;
        QTimer::singleShot(50, [&] {
            auto* dialog = bin.findChild<QDialog*>(QStringLiteral("f_huanyuan"));
            if (!dialog)
                return;
            auto* combo = find<LookupCombo>(dialog, "ComboBox1");
            for (int i = 0; i < combo->count(); ++i)
                offered << combo->itemText(i);
            combo->setCurrentIndex(int(offered.indexOf(QStringLiteral("午餐"))));
            click(dialog, pick ? "Button1" : "Button2");
        });
        click(&bin, "Button1");
        QVERIFY(offered.contains(QStringLiteral("早餐")) && !offered.contains(QStringLiteral("工资")));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_shouru where id=%1 and f_fenleiid=%2")
                                       .arg(id)
                                       .arg(categoryId(QStringLiteral("午餐")))),
                 qint64(pick));
        QCOMPARE(f.boxes.texts(), pick ? QStringList{QStringLiteral("已还原：删除支出 夜宵 30.00")} : QStringList());
        QCOMPARE(rowCount(&bin, "DBGridEh1"), pick ? 0 : 1);
        TEST_END
    }
};

QTEST_MAIN(TstUndo)
#include "tst_undo.moc"
