// The settings page: members, start page, backup and restore of the
// encrypted file, clearing all records, and the automatic backups.
#include "app/Program.h"
#include "app/TForm1.h"
#include "data/AccountTotals.h"
#include "data/Backup.h"
#include "data/Clock.h"
#include "data/Household.h"
#include "data/Tx_Data.h"
#include "settings/FullExport.h"
#include "settings/Tf_system.h"
#include "tests/support/Driver.h"
#include "tests/support/FileDialogs.h"
#include "tests/support/SystemPage.h"
#include "tests/support/XlsCells.h"
#include "ui/ClickLabel.h"
#include "ui/DataGrid.h"
#include "ui/LongWork.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

using namespace Driver;

namespace {
const QString kGrid = QStringLiteral("DBGridEh16");

QByteArray hashOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}

class TstSystem : public QObject {
    Q_OBJECT

private slots:
    void membersDeleteWithTheirRecords()
    {
        TEST_BEGIN
        PageFixture f;
        const qint64 ming = addMember(QStringLiteral("小明"), QStringLiteral("o'k \"1\""));
        addRecord(QStringLiteral("早餐"), QStringLiteral("3"), QDate(2012, 5, 1), QString(), ming);
        addRecord(QStringLiteral("早餐"), QStringLiteral("4"), QDate(2012, 5, 1), QString(), 1);
        TestDb::sql(QStringLiteral(
            "insert into s_jie (j_class,j_date,z_id,j_chuMoney,j_jiekuanren) values ('Z','2012-05-01',1,10000,'小明');"
            "insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (1,2,'2012-05-01',10000)"));
        SystemPage s;
        DataGrid* g = grid(&s.page, kGrid);
        QVERIFY(g->isColumnHidden(Tf_system::ColId));
        QCOMPARE(g->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("用户名"));
        QCOMPARE(g->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("密码"));
        QCOMPARE(g->verticalHeader()->defaultSectionSize(), 25);
        QCOMPARE(cell(&s.page, kGrid, 1, Tf_system::ColPassword), QStringLiteral("o'k \"1\""));  // plain text

        // The default member: refused, nothing asked.
        QCOMPARE(f.boxesAfterClick(&s.page, "Button47"), QStringList{QStringLiteral("系统默认用户不能删除！")});
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
        // A row never saved goes at once, unasked and unwritten.
        click(&s.page, "Button46");
        QCOMPARE(rowCount(&s.page, kGrid), 3);
        QCOMPARE(f.boxesAfterClick(&s.page, "Button47"), QStringList());
        QCOMPARE(rowCount(&s.page, kGrid), 2);

        clickRow(&s.page, kGrid, 1);
        // The question names the member and counts the records that go with it.
        const QString question = QStringLiteral("是否确定删除用户\"%1\"及其%2笔收支记录？")
                                     .arg(cell(&s.page, kGrid, 1, Tf_system::ColName))
                                     .arg(TestDb::count(QStringLiteral("s_shouru where s_userid<>1")));
        QCOMPARE(f.boxesAfterClick(&s.page, "Button47"), QStringList{question});
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(sys_name) from s_user")),
                 QStringLiteral("admin"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(s_userid) from s_shouru")),
                 QStringLiteral("1"));
        QCOMPARE(TestDb::count(QStringLiteral("s_jie")) + TestDb::count(QStringLiteral("s_zhanghistory")), qint64(2));
        QCOMPARE(rowCount(&s.page, kGrid), 1);

        // Both deletes or neither.
        const qint64 hong = addMember(QStringLiteral("小红"));
        addRecord(QStringLiteral("早餐"), QStringLiteral("5"), QDate(2012, 5, 1), QString(), hong);
        TestDb::sql(
            QStringLiteral("create trigger keep before delete on s_shouru begin select raise(abort,'kept'); end"));
        DbError error;
        QVERIFY(!deleteMember(Database::shared(), hong, &error));
        QCOMPARE(error.message(), QStringLiteral("kept"));
        QCOMPARE(error.kind(), DbError::Kind::Refused);
        QCOMPARE(TestDb::count(QStringLiteral("s_user where id=%1").arg(hong)), qint64(1));
        TEST_END
    }

    void saveOrCancelTheBatch()
    {
        TEST_BEGIN
        PageFixture f;
        SystemPage s;
        editCell(&s.page, kGrid, 0, Tf_system::ColPassword, QStringLiteral("新密码"));
        click(&s.page, "Button46");
        editCell(&s.page, kGrid, 1, Tf_system::ColName, QStringLiteral("小红"));
        f.boxes.setAnswer(QMessageBox::Cancel);
        QCOMPARE(f.boxesAfterClick(&s.page, "Button48"), QStringList{QStringLiteral("是否确定保存数据？")});
        QCOMPARE(column(&s.page, kGrid, Tf_system::ColPassword), QStringList{QStringLiteral("admin")});
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(sys_name||':'||sys_pwd) from s_user")),
                 QStringLiteral("admin:admin"));

        // A refused row: the message, nothing written, the edits stay.
        f.boxes.setAnswer(QMessageBox::Ok);
        editCell(&s.page, kGrid, 0, Tf_system::ColPassword, QStringLiteral("新密码"));
        click(&s.page, "Button46");
        editCell(&s.page, kGrid, 1, Tf_system::ColName, QStringLiteral("admin"));
        QCOMPARE(f.boxesAfterClick(&s.page, "Button48"),
                 (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("对不起，操作异常")}));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(sys_name||':'||sys_pwd) from s_user")),
                 QStringLiteral("admin:admin"));
        QCOMPARE(cell(&s.page, kGrid, 1, Tf_system::ColName), QStringLiteral("admin"));
        editCell(&s.page, kGrid, 1, Tf_system::ColName, QStringLiteral("小红"));
        click(&s.page, "Button48");
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(sys_name||':'||sys_pwd) from s_user")),
                 QStringLiteral("admin:新密码,小红:"));
        TEST_END
    }

    void startPage()
    {
        TEST_BEGIN
        PageFixture f;
        StartPageCode = QStringLiteral("4");
        SystemPage s;
        QVERIFY(find<QRadioButton>(&s.page, "r_4")->isChecked());
        click(&s.page, "r_5");
        QCOMPARE(f.boxesAfterClick(&s.page, "Button1"), QStringList{QStringLiteral("设置成功，重新打开软件！")});
        QCOMPARE(f.boxes.seen[0].title, QStringLiteral("栗子家庭记账本2012"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select skinx from sys_sys")), QStringLiteral("5"));
        StartPageCode = QStringLiteral("x");
        SystemPage other;
        QVERIFY(find<QRadioButton>(&other.page, "r_1")->isChecked());
        TEST_END
    }

    // 导出全部数据: one workbook, a sheet per kind of data, every row of
    // each, the amounts as numbers; read back by an independent reader.
    void exportAllData()
    {
        TEST_BEGIN
        BuildOptions demo;
        demo.demo = true;
        demo.today = PageFixture::defaultNow().date();
        PageFixture f(PageFixture::defaultNow(), demo);
        addRecord(QStringLiteral("早餐"), QStringLiteral("12.5"), QDate(1999, 1, 1), QStringLiteral("=1+1\t\"引号\""));
        SystemPage s;
        FileDialogAnswerer dialogs;
        const QString path = QDir(f.db.dir()).filePath(QStringLiteral("全部.xlsx"));
        dialogs.answer = QDir(f.db.dir()).filePath(QStringLiteral("全部"));
        const qint64 rows
            = TestDb::scalarInt(QStringLiteral("select (select count(*) from s_shouru) + (select count(*) "
                                               "from s_fenlei) + (select count(*) from z_zhanghu) + "
                                               "(select count(*) from s_zhanghistory) + (select count(*) "
                                               "from s_jie) + (select count(*) from s_yushuan) + (select "
                                               "count(*) from s_user) + (select count(*) from p_plan) + "
                                               "(select count(*) from notebook)"));
        QCOMPARE(f.boxesAfterClick(&s.page, "Button71"),
                 QStringList{QStringLiteral("已导出全部数据：%1（%2 行）").arg(path, LongWork::count(rows))});
        QCOMPARE(dialogs.titles, QStringList{QStringLiteral("导出全部数据")});
        QString error;
        const QJsonArray sheets
            = XlsCells::readBack({path}, &error, 120000, true)[0][QStringLiteral("sheets")].toArray();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(sheets.size(), FullExport::sheets().size());
        const char* tables[] = {"s_shouru",  "s_fenlei", "z_zhanghu", "s_zhanghistory", "s_jie",
                                "s_yushuan", "s_user",   "p_plan",    "notebook"};
        for (int i = 0; i < sheets.size(); ++i) {
            QCOMPARE(sheets[i][QStringLiteral("name")].toString(), QString::fromUtf8(FullExport::sheets()[i].name));
            QCOMPARE(sheets[i][QStringLiteral("rows")].toArray().size() - 1,
                     TestDb::count(QString::fromLatin1(tables[i])));
        }
        // The oldest record first, as typed; no password leaves the program.
        const QJsonArray first = sheets[0][QStringLiteral("rows")][1].toArray();
        QCOMPARE(first[1].toArray()[1].toString(), QStringLiteral("1999-01-01"));
        QCOMPARE(first[5].toArray(), (QJsonArray{2, 12.5, QStringLiteral("0.00")}));
        QCOMPARE(first[8].toArray()[1].toString(), QStringLiteral("=1+1\t\"引号\""));
        QCOMPARE(sheets[6][QStringLiteral("rows")][0].toArray().size(), 2);  // 编号, 名称
        TEST_END
    }

    void backupNamesReplaceQuestionAndCheck()
    {
        TEST_BEGIN
        PageFixture f;
        const QDir dir(f.db.dir());
        SystemPage s;
        FileDialogAnswerer dialogs;
        addRecord(QStringLiteral("早餐"), QStringLiteral("3"), QDate(2012, 5, 1));
        dialogs.answer = dir.filePath(QStringLiteral("abc"));
        QCOMPARE(f.boxesAfterClick(&s.page, "Button53"), QStringList{QStringLiteral("数据库备份成功!")});
        QCOMPARE(dialogs.titles, QStringList{QStringLiteral("数据库备份")});
        QCOMPARE(dialogs.folders, QStringList{f.db.dir()});
        const QString abc = dir.filePath(QStringLiteral("abc.bak"));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("abc"))));
        DbError why;
        QVERIFY2(checkDatabaseFile(abc, &why), qPrintable(why));  // opens with the key, passes quick_check
        QCOMPARE(countIn(abc, QStringLiteral("s_shouru")), qint64(1));
        QVERIFY(!readFile(abc).startsWith("SQLite format 3"));  // encrypted

        // "abc.bak" names the same file: asked about it; Cancel writes nothing.
        addRecord(QStringLiteral("早餐"), QStringLiteral("4"), QDate(2012, 5, 2));
        const QByteArray before = hashOf(abc);
        dialogs.answer = abc;
        f.boxes.setAnswer(QMessageBox::Cancel);
        QCOMPARE(f.boxesAfterClick(&s.page, "Button53"),
                 QStringList{QStringLiteral("文件“abc.bak”已存在，是否替换？")});
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(f.boxes.seen[0].title, QStringLiteral("系统提示"));
        QCOMPARE(hashOf(abc), before);
        f.boxes.setAnswer(QMessageBox::Ok);
        QCOMPARE(f.boxesAfterClick(&s.page, "Button53"),
                 (QStringList{QStringLiteral("文件“abc.bak”已存在，是否替换？"), QStringLiteral("数据库备份成功!")}));
        QCOMPARE(countIn(abc, QStringLiteral("s_shouru")), qint64(2));
        QVERIFY(!QFileInfo::exists(abc + QStringLiteral(".bak")));

        // A failed write: tst_backupfaults' causeIsNamed.
        // While a transaction is open the file is not all there is: refused.
        {
            Transaction tx;
            QVERIFY(!writeVerifiedBackup(Database::shared(), dir.filePath(QStringLiteral("open.bak"))));
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("open.bak"))));
        TEST_END
    }

    void restoreReplacesTheFileAndKeepsTheOldOne()
    {
        TEST_BEGIN
        PageFixture f;
        const QDir dir(f.db.dir());
        addRecord(QStringLiteral("早餐"), QStringLiteral("3"), QDate(2012, 5, 1));
        const QString good = dir.filePath(QStringLiteral("good.bak"));
        DbError why;
        QVERIFY2(writeVerifiedBackup(Database::shared(), good, &why), qPrintable(why));
        addRecord(QStringLiteral("早餐"), QStringLiteral("4"), QDate(2012, 5, 2));

        SystemPage s;
        FileDialogAnswerer dialogs;
        dialogs.answer = good;
        f.boxes.setAnswer(QMessageBox::Cancel);
        click(&s.page, "Button55");
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(2));
        QCOMPARE(dir.entryList({QStringLiteral("fmy*")}, QDir::Files), QStringList{QStringLiteral("fmy.dll")});
        f.boxes.setAnswer(QMessageBox::Ok);
        QCOMPARE(f.boxesAfterClick(&s.page, "Button55"),
                 (QStringList{QStringLiteral("还原数据后将覆盖现有数据，是否确定还原数据库？"),
                              QStringLiteral("数据库还原成功，请重新打开软件！")}));
        QCOMPARE(dialogs.folders.value(1), f.db.dir());  // no automatic backups yet
        QCOMPARE(s.quits, 1);
        // The household's file is the backup now, and the connection reads it.
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(1));
        QCOMPARE(countIn(f.db.path(), QStringLiteral("s_shouru")), qint64(1));
        const QString kept = dir.filePath(QStringLiteral("fmy-20120520-120000.dll.bak"));
        QCOMPARE(countIn(kept, QStringLiteral("s_shouru")), qint64(2));

        // With automatic backups, the dialog opens among them; the kept file restores too.
        QVERIFY(dir.mkdir(QStringLiteral("backups")));
        dialogs.answer = kept;
        f.setNow(QDateTime(QDate(2012, 5, 20), QTime(12, 30)));
        click(&s.page, "Button55");
        QCOMPARE(dialogs.folders.value(2), dir.filePath(QStringLiteral("backups")));
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(2));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("fmy-20120520-123000.dll.bak"))));
        TEST_END
    }

    // Files that are no backup: tst_backupfaults' restoreChecksWhatTheProgramReads.

    void clearAllKeepsTheHouseholdsSettings()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord(QStringLiteral("工资"), QStringLiteral("1000"), QDate(2012, 5, 1));
        addMember(QStringLiteral("小明"));
        TestDb::sql(QStringLiteral(
            "insert into s_jie (j_class,j_date,z_id,j_chuMoney,j_yuMoney) values ('S','2012-05-01',1,10000,10000);"
            "insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (1,2,'2012-05-01',10000);"
            "insert into notebook (n_date,n_info) values ('2012-05-01','日记');"
            "update sys_sys set skinx='5'"));
        {
            DbError error;
            QVERIFY(RecalcAccountTotals(Database::shared(), &error));
        }
        const QString kept = QStringLiteral(
            "select (select count(*) from s_user)||','||(select count(*) from s_fenlei)||','||"
            "(select count(*) from z_zhanghu)||','||(select group_concat(y_money) from s_yushuan)||','||"
            "(select count(*) from notebook)||','||(select skinx from sys_sys)");
        const QString keptBefore = TestDb::scalarText(kept);
        SystemPage s;
        auto* box = find<QGroupBox>(&s.page, "GroupBox3");
        QCOMPARE(f.boxesAfterClick(&s.page, "Button2"),
                 QStringList{QStringLiteral("你是否确定删除所有记账信息，删除后将无法恢复？")});
        QVERIFY(box->isVisible());
        click(&s.page, "Button4");
        QVERIFY(!box->isVisible());

        // A refusal: the database's message, nothing cleared, the program goes on.
        TestDb::sql(QStringLiteral(
            "create trigger keep_loans before delete on s_jie begin select raise(abort,'locked loans'); end"));
        click(&s.page, "Button2");
        QCOMPARE(f.boxesAfterClick(&s.page, "Button3"), QStringList{QStringLiteral("数据库操作失败：\nlocked loans")});
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(1));
        QCOMPARE(s.quits, 0);
        TestDb::sql(QStringLiteral("drop trigger keep_loans"));

        QCOMPARE(f.boxesAfterClick(&s.page, "Button3"), QStringList{QStringLiteral("操作成功，请重新打开软件！")});
        QCOMPARE(s.quits, 1);
        QVERIFY(!box->isVisible());
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")) + TestDb::count(QStringLiteral("s_jie"))
                     + TestDb::count(QStringLiteral("s_zhanghistory")),
                 qint64(0));
        QCOMPARE(TestDb::scalarText(kept), keptBefore);

        // The next start: every balance is 0.
        Tx_Data next(Database::shared());
        DbError error;
        QVERIFY(RecalcAccountTotals(Database::shared(), &error));
        QCOMPARE(TestDb::count(QStringLiteral("z_zhanghu where z_yue<>0 or z_zhuanru<>0 or z_qcje<>0")), qint64(0));
        TEST_END
    }

    void automaticBackups()
    {
        TEST_BEGIN
        PageFixture f;
        // Which copies stay, and failures told at the next start: tst_backupfaults.
        QDir backups(autoBackupFolder(f.db.path()));
        // Switched off on the page: no copy at the end.
        {
            SystemPage s;
            auto* box = find<QCheckBox>(&s.page, "CheckBox1");
            QVERIFY(box->isChecked());
            box->click();
        }
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select isauto from sys_autobak")), qint64(0));
        f.setNow(QDateTime(QDate(2012, 5, 20), QTime(9, 0)));
        RunExitBackup(Database::shared());
        QVERIFY(!backups.exists(QStringLiteral("fmy-20120520-090000.bak")));

        // A file whose layout could not be upgraded has no setting: on.
        TestDb::sql(QStringLiteral("drop table sys_autobak"));
        bool on = false;
        QVERIFY(autoBackupEnabled(Database::shared(), &on) && on);
        TestDb::sql(QStringLiteral("PRAGMA user_version=0"));
        {
            Tx_Data start(Database::shared());
        }  // the start brings it back
        QVERIFY(setAutoBackupEnabled(Database::shared(), true));
        TEST_END
    }

    void theEndWritesTheDiaryThenTheBackup()
    {
        TEST_BEGIN
        PageFixture f;
        // A user: logs in, writes into the diary, closes the window.
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == u"f_login" && w->isVisible()) {
                    w->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("admin"));
                    emit w->findChild<ClickLabel*>(QStringLiteral("Image2"))->clicked();
                } else if (auto* form = qobject_cast<TForm1*>(w); form && form->currentPage()) {
                    emit form->findChild<ClickLabel*>(QStringLiteral("Label4"))->clicked();
                    form->findChild<QPlainTextEdit*>(QStringLiteral("DBMemo1"))
                        ->setPlainText(QStringLiteral("最后一句"));
                    user.stop();
                    form->close();
                }
            }
        });
        user.start(20);
        QCOMPARE(RunStart(), 0);
        const QStringList copies
            = QDir(autoBackupFolder(f.db.path())).entryList({QStringLiteral("*.bak")}, QDir::Files);
        QCOMPARE(copies, QStringList{QStringLiteral("fmy-20120520-120000.bak")});
        QCOMPARE(countIn(QDir(autoBackupFolder(f.db.path())).filePath(copies[0]),
                         QStringLiteral("notebook where n_info='最后一句'")),
                 qint64(1));
        TEST_END
    }
};

QTEST_MAIN(TstSystem)
#include "tst_system.moc"
