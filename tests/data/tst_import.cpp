// Statement imports in the database: records written with their import,
// undo, what earlier imports tell about new lines, files without the tables.
#include "data/AccountTotals.h"
#include "data/Household.h"
#include "data/Import.h"
#include "tests/support/Driver.h"

#include <QTest>

using namespace Driver;

namespace {
ImportLine line(const char* category, const char* yuan, const QDate& date, const QString& who = QString(),
                const QString& memo = QString(), const QString& fitid = QString())
{
    return {date,     *Money::parse(QString::fromUtf8(yuan)), categoryId(QString::fromUtf8(category)), who, memo, fitid,
            QString()};
}

qint64 balance(qint64 account)
{
    return TestDb::scalarInt(QStringLiteral("select z_yue from z_zhanghu where id=%1").arg(account));
}
}  // namespace

class TstImport : public QObject {
    Q_OBJECT
private slots:
    void importAndUndo()
    {
        TEST_BEGIN
        PageFixture f;
        const qint64 card = addAccount(QStringLiteral("工资卡"), QStringLiteral("1000"));
        addRecord(QStringLiteral("午餐"), QStringLiteral("20"), QDate(2012, 5, 1), QStringLiteral("手记"), 1, card);
        QVERIFY(RecalcAccountTotals(Database::shared()));
        const qint64 before = balance(card);

        // A file without the tables reads as having no imports.
        QList<PastImport> past;
        QVERIFY(readImports(Database::shared(), &past) && past.isEmpty());
        ImportHistory history;
        QVERIFY(readImportHistory(Database::shared(), card, &history) && history.fitids.isEmpty());

        qint64 id = 0;
        QVERIFY(ImportRecords(Database::shared(), QStringLiteral("账单.csv"),
                              QDateTime(QDate(2012, 5, 20), QTime(9, 0)), card, 1,
                              {line("午餐", "12.5", QDate(2012, 5, 2), QStringLiteral("食堂"), QStringLiteral("饭卡"),
                                    QStringLiteral("F1")),
                               line("工资", "3000", QDate(2012, 5, 10), QStringLiteral("公司"))},
                              &id));
        QCOMPARE(TestDb::scalarText(
                     QStringLiteral("select group_concat(f_class||'|'||s_jine||'|'||s_other||'|'||s_userid, ';')"
                                    " from (select * from s_shouru where s_zhanghuid=%1 order by id)")
                         .arg(card)),
                 QStringLiteral("Z|200000|手记|1;Z|125000|食堂 饭卡|1;S|30000000|公司|1"));
        QCOMPARE(balance(card), before - 125000 + 30000000);  // totals recomputed
        QVERIFY(readImports(Database::shared(), &past));
        QCOMPARE(past.size(), 1);
        QCOMPARE(past[0].file, QStringLiteral("账单.csv"));
        QCOMPARE(past[0].count, 2);
        QVERIFY(readImportHistory(Database::shared(), card, &history));
        QCOMPARE(history.fitids, QSet<QString>{QStringLiteral("F1")});
        QCOMPARE(history.categoryOf.value(QStringLiteral("食堂")), categoryId(QStringLiteral("午餐")));
        QVERIFY(readImportHistory(Database::shared(), 1, &history) && history.fitids.isEmpty());  // another account

        // Undo takes the import's records, edited or not, and nothing typed by hand.
        TestDb::sql(QStringLiteral("update s_shouru set s_jine=990000 where s_other='公司'"));
        int live = 0;
        QVERIFY(liveImportRecords(Database::shared(), id, &live) && live == 2);
        int deleted = 0;
        QVERIFY(UndoImport(Database::shared(), id, &deleted));
        QCOMPARE(deleted, 2);
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(1));
        QCOMPARE(balance(card), before);
        QVERIFY(readImports(Database::shared(), &past) && past.isEmpty());
        QVERIFY(readImportHistory(Database::shared(), card, &history) && history.fitids.isEmpty()
                && history.categoryOf.isEmpty());
        TEST_END
    }

    void storedMatchesWithinADay()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord(QStringLiteral("午餐"), QStringLiteral("12.5"), QDate(2012, 5, 10));
        const Money m = *Money::parse(u"12.5");
        QVector<bool> found;
        QVERIFY(findStoredMatches(Database::shared(), 1,
                                  {{QDate(2012, 5, 9), m, QStringLiteral("Z")},
                                   {QDate(2012, 5, 11), m, QStringLiteral("Z")},
                                   {QDate(2012, 5, 12), m, QStringLiteral("Z")},
                                   {QDate(2012, 5, 10), m, QStringLiteral("S")},
                                   {QDate(2012, 5, 10), *Money::parse(u"12.51"), QStringLiteral("Z")}},
                                  &found));
        QCOMPARE(found, (QVector<bool>{true, true, false, false, false}));
        QVERIFY(findStoredMatches(Database::shared(), 2, {{QDate(2012, 5, 10), m, QStringLiteral("Z")}}, &found));
        QCOMPARE(found, QVector<bool>{false});  // another account
        TEST_END
    }

    void failuresWriteNothingAndClearAllEmptiesImports()
    {
        TEST_BEGIN
        PageFixture f;
        // The remark is cut at 250 characters, never inside a character.
        const QString wide = QString::fromUcs4(U"𠀀").repeated(300);
        QCOMPARE(importRemark(wide, QString()), QString::fromUcs4(U"𠀀").repeated(250));
        QCOMPARE(importRemark(QString(), QStringLiteral("只有摘要")), QStringLiteral("只有摘要"));

        TestDb::sql(QStringLiteral("create trigger refuse before insert on s_shouru when new.s_jine > 100000000"
                                   " begin select raise(abort, 'refused'); end"));
        DbError error;
        QVERIFY(!ImportRecords(Database::shared(), QStringLiteral("a.csv"), QDateTime::currentDateTime(), 1, 1,
                               {line("午餐", "1", QDate(2012, 5, 1)), line("午餐", "20000", QDate(2012, 5, 2))},
                               nullptr, &error));
        QVERIFY(error.message().contains(QStringLiteral("refused")));
        QCOMPARE(error.kind(), DbError::Kind::Refused);  // the trigger's, not made into another kind
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_import")), qint64(0));  // rolled back with the rest

        QVERIFY(ImportRecords(
            Database::shared(), QStringLiteral("b.csv"), QDateTime::currentDateTime(), 1, 1,
            {line("午餐", "1", QDate(2012, 5, 1), QStringLiteral("x"), QString(), QStringLiteral("F"))}, nullptr));
        QVERIFY(clearAllRecords(Database::shared()));
        QCOMPARE(TestDb::count(QStringLiteral("s_import")), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_import_line")), qint64(0));
        TEST_END
    }
};

QTEST_MAIN(TstImport)
#include "tst_import.moc"
