// The statement import page driven as a user would: a CSV mapped, one
// category changed, imported, seen on the expense page; the same file again
// proposed as duplicates; undo; a wallet export with closed orders; failed
// and cancelled reads; the messages.
#include "app/TForm1.h"
#include "data/Tx_Data.h"
#include "import/Preview.h"
#include "import/Tf_daoru.h"
#include "ledger/Tf_zhichu.h"
#include "tests/support/Driver.h"
#include "ui/DataGrid.h"
#include "ui/LookupCombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Driver;

namespace {
constexpr const char* kPreview = "DBGridEh1";
constexpr const char* kImports = "DBGridEh2";

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(dir.path()).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

QStringList previewColumn(QObject* page, int column) { return Driver::column(page, kPreview, column); }

QString sample(const char* name)
{
    return QStringLiteral(JIZHANG_SOURCE_DIR "/tests/data/import/") + QString::fromLatin1(name);
}

QByteArray sampleBytes(const char* name)
{
    QFile f(sample(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char* const kMappingLists[] = {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5",
                                     "ComboBox6", "ComboBox7", "ComboBox9", "ComboBox10"};

// What a read leaves on the page: the preview, the mapping lists (choice and
// entries) and the skipped report lines.
QStringList readState(QObject* page)
{
    QStringList state;
    for (int c = 0; c < PreviewModel::ColumnCount; ++c)
        state << previewColumn(page, c).join(u'|');
    for (const char* name : kMappingLists) {
        auto* list = find<QComboBox>(page, QString::fromLatin1(name));
        state << QString::number(list->currentIndex());
        for (int i = 0; i < list->count(); ++i)
            state.last() += u'|' + list->itemText(i);
    }
    return state << labelText(page, "Label1");
}

const QByteArray kCsv = "某银行 账户明细\n"
                        "导出时间,2012-05-20\n"
                        "交易日期,摘要,对方,金额\n"
                        "2012-05-01,午饭,食堂,-12.50\n"
                        "2012/5/2,\"工资, 五月\",公司,\"3,000.00\"\n"
                        "20120503,晚饭,饭店,(45.00)\n"
                        "2012-13-40,坏行,x,-1\n";
}  // namespace

class TstDaoru : public QObject {
    Q_OBJECT
private slots:
    void importCsvThenUndo()
    {
        TEST_BEGIN
        PageFixture f;
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("招商.csv"), kCsv);
        Tf_daoru page;
        page.show();
        setText(&page, "Edit1", path);
        click(&page, "Button2");
        // The titles are proposed for the mapping; lines in file order.
        QCOMPARE(find<QComboBox>(&page, "ComboBox1")->currentText(), QStringLiteral("交易日期"));
        QCOMPARE(find<QComboBox>(&page, "ComboBox2")->currentText(), QStringLiteral("金额"));
        QCOMPARE(find<QComboBox>(&page, "ComboBox3")->itemText(0), QStringLiteral("（无）"));
        QCOMPARE(
            previewColumn(&page, PreviewModel::ColDate).mid(0, 3),
            (QStringList{QStringLiteral("2012-05-01"), QStringLiteral("2012-05-02"), QStringLiteral("2012-05-03")}));
        QCOMPARE(previewColumn(&page, PreviewModel::ColKind).mid(0, 3),
                 (QStringList{QStringLiteral("支出"), QStringLiteral("收入"), QStringLiteral("支出")}));
        QCOMPARE(previewColumn(&page, PreviewModel::ColStatus),
                 (QStringList{QStringLiteral("新"), QStringLiteral("新"), QStringLiteral("新"),
                              QStringLiteral("无法读取：日期无效（第7行）")}));
        QCOMPARE(previewColumn(&page, PreviewModel::ColImport),
                 (QStringList{QStringLiteral("是"), QStringLiteral("是"), QStringLiteral("是"), QStringLiteral("否")}));

        // No category yet: refused.
        QCOMPARE(f.boxesAfterClick(&page, "Button3"), QStringList{QStringLiteral("请为所有要导入的记录选择类别")});
        QCOMPARE(f.boxes.seen.last().icon, QMessageBox::Critical);
        find<LookupCombo>(&page, "DBLookupComboboxEh2")->setKeyValue(categoryId(QStringLiteral("午餐")));
        find<LookupCombo>(&page, "DBLookupComboboxEh3")->setKeyValue(categoryId(QStringLiteral("工资")));
        QCOMPARE(previewColumn(&page, PreviewModel::ColCategory).mid(0, 3),
                 (QStringList{QStringLiteral("午餐"), QStringLiteral("工资"), QStringLiteral("午餐")}));
        editCell(&page, kPreview, 2, PreviewModel::ColCategory, categoryId(QStringLiteral("晚餐")));
        // An income category is not offered to an expense line.
        QVERIFY(!grid(&page, kPreview)
                     ->model()
                     ->setData(grid(&page, kPreview)->model()->index(0, PreviewModel::ColCategory),
                               categoryId(QStringLiteral("工资"))));
        QCOMPARE(f.boxesAfterClick(&page, "Button3"), QStringList{QStringLiteral("导入成功！共3条")});
        QCOMPARE(rowCount(&page, kImports), 1);
        QCOMPARE(cell(&page, kImports, 0, 0), QStringLiteral("招商.csv"));
        QCOMPARE(cell(&page, kImports, 0, 2), QStringLiteral("3"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(s_date||' '||s_jine||' '||s_other, ';') from "
                                                   "(select * from s_shouru order by id)")),
                 QStringLiteral(
                     "2012-05-01 125000 食堂 午饭;2012-05-02 30000000 公司 工资, 五月;2012-05-03 450000 饭店 晚饭"));

        // The same file again: every line may be a duplicate and starts unticked.
        QCOMPARE(previewColumn(&page, PreviewModel::ColStatus).mid(0, 3), (QStringList(3, QStringLiteral("可能重复"))));
        QCOMPARE(previewColumn(&page, PreviewModel::ColImport).mid(0, 3), (QStringList(3, QStringLiteral("否"))));
        QVERIFY(f.boxesAfterClick(&page, "Button3").isEmpty());  // nothing chosen: nothing happens
        // A counterparty's category of the last import is proposed.
        QCOMPARE(previewColumn(&page, PreviewModel::ColCategory)[2], QStringLiteral("晚餐"));

        // Seen on the expense page.
        {
            Tf_zhichu zhichu;
            zhichu.show();
            setDate(&zhichu, "DateTimePicker1", QDate(2012, 5, 3));
            QVERIFY(column(&zhichu, "DBGridEh1", 2).contains(QStringLiteral("晚餐")));
        }

        // Undo, after the question, leaves the records typed by hand.
        addRecord(QStringLiteral("早餐"), QStringLiteral("5"), QDate(2012, 5, 1));
        selectCell(&page, kImports, 0, 0);
        f.boxes.setAnswer(QMessageBox::Cancel);
        QCOMPARE(f.boxesAfterClick(&page, "Button4"), QStringList{QStringLiteral("是否确定撤销本次导入的3条记录？")});
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(4));
        f.boxes.setAnswer(QMessageBox::Ok);
        f.boxesAfterClick(&page, "Button4");
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(1));
        QCOMPARE(rowCount(&page, kImports), 0);
        QCOMPARE(previewColumn(&page, PreviewModel::ColStatus)[1], QStringLiteral("新"));
        TEST_END
    }

    // 导入账单 opens the page from the header, left of 桌面.
    void openedFromTheHeader()
    {
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        form.show();
        auto* entry = find<QLabel>(&form, "Label29");
        QCOMPARE(entry->text(), QStringLiteral("导入账单"));
        QCOMPARE(entry->x(), 562);
        QCOMPARE(entry->font(), find<QLabel>(&form, "Label3")->font());
        clickLabel(&form, "Label29");
        QVERIFY(qobject_cast<Tf_daoru*>(form.currentPage()));
        QCOMPARE(form.currentPage()->objectName(), QStringLiteral("f_daoru"));
        TEST_END
    }

    // A wallet export: closed, refunded and unpaid orders are shown but never
    // written; "/" cells stay out of the remark; the payer is the member
    // logged in.
    void walletImportWritesOnlyRealMoney()
    {
        TEST_BEGIN
        PageFixture f;
        const auto loggedOut = qScopeGuard([] { LoggedInMemberId = 0; });
        LoggedInMemberId = addMember(QStringLiteral("妈妈"));
        Tf_daoru page;
        page.show();
        QCOMPARE(find<LookupCombo>(&page, "DBLookupComboboxEh4")->currentText(), QStringLiteral("妈妈"));
        setText(&page, "Edit1", sample("alipay.csv"));
        QCOMPARE(f.boxesAfterClick(&page, "Button2"), QStringList());
        QCOMPARE(find<QComboBox>(&page, "ComboBox9")->currentText(), QStringLiteral("交易状态"));
        QCOMPARE(find<QComboBox>(&page, "ComboBox10")->currentText(), QStringLiteral("备注"));
        QCOMPARE(labelText(&page, "Label1"), QStringLiteral("已跳过文件开头的 12 行说明"));
        QCOMPARE(previewColumn(&page, PreviewModel::ColStatus)[1], QStringLiteral("未成交：交易关闭"));
        pressCell(&page, kPreview, 1, PreviewModel::ColImport);  // cannot be ticked
        QCOMPARE(previewColumn(&page, PreviewModel::ColImport),
                 (QStringList{"是", "否", "否", "否", "是", "是", "是", "否"}));
        find<LookupCombo>(&page, "DBLookupComboboxEh2")->setKeyValue(categoryId(QStringLiteral("午餐")));
        find<LookupCombo>(&page, "DBLookupComboboxEh3")->setKeyValue(categoryId(QStringLiteral("工资")));
        QCOMPARE(f.boxesAfterClick(&page, "Button3"), QStringList{QStringLiteral("导入成功！共4条")});
        QCOMPARE(TestDb::texts(QStringLiteral(
                     "select s_date||' '||s_jine||' '||s_userid||' '||s_other from s_shouru order by id")),
                 (QStringList{QStringLiteral("2026-12-01 235000 %1 肯德基 早餐套餐"),
                              QStringLiteral("2026-12-05 2000000 %1 妈妈 生日红包"),
                              QStringLiteral("2026-12-06 356000 %1 滴滴出行 快车"),
                              QStringLiteral("2026-12-07 1520000 %1 必胜客 晚餐")})
                     .replaceInStrings(QStringLiteral("%1"), QString::number(LoggedInMemberId)));
        TEST_END
    }

    // A read after a good one: one that fails leaves nothing of the good one
    // for 导入 to write; 取消 in the progress window of a long one leaves the
    // page as it was.
    void readAfterAGoodOne_data()
    {
        QTest::addColumn<QString>("file");  // empty: a file that is not there
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("size");      // > 0: the file made that long (sparse)
        QTest::addColumn<QString>("message");  // empty: cancelled
        const QString nothing = QStringLiteral("文件中没有可读取的账单记录");
        QTest::newRow("empty") << "empty.csv" << QByteArray() << qint64(0) << nothing;
        QTest::newRow("titles only") << "titles.csv" << sampleBytes("title_only.csv") << qint64(0) << nothing;
        QTest::newRow("program") << "setup.csv" << sampleBytes("binary.csv") << qint64(0) << nothing;
        QTest::newRow("missing") << "" << QByteArray() << qint64(0) << nothing;
        QTest::newRow("ofx without lines")
            << "bad.ofx" << QByteArray("OFXHEADER:100\n<OFX><BANKTRANLIST></BANKTRANLIST></OFX>") << qint64(0)
            << nothing;
        QTest::newRow("over 50 MB") << "year.csv" << QByteArray("日期,金额\n") << qint64(60) * 1024 * 1024
                                    << QStringLiteral("账单文件太大（超过50MB），请按月份分别导出");
        QByteArray lines = "交易时间,交易对方,金额\n";
        for (int i = 0; i < 200000; ++i)
            lines += "2026-12-01 08:00:00,某店,-" + QByteArray::number(1 + i % 500) + ".00\n";
        QTest::newRow("cancelled") << "long.csv" << lines << qint64(0) << QString();
    }
    void readAfterAGoodOne()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, size);
        QFETCH(QString, message);
        TEST_BEGIN
        PageFixture f;
        QTemporaryDir dir;
        Tf_daoru page;
        page.show();
        const QStringList fresh = readState(&page);
        setText(&page, "Edit1", sample("wechat.csv"));
        click(&page, "Button2");
        const QStringList before = readState(&page);
        QCOMPARE(rowCount(&page, kPreview), 5);

        QString path = QDir(dir.path()).filePath(QStringLiteral("missing.csv"));
        if (!file.isEmpty()) {
            path = writeFile(dir, file, bytes);
            QVERIFY(size == 0 || QFile(path).resize(size));
        }
        setText(&page, "Edit1", path);
        // The progress window at once, and 取消 pressed in it.
        int cancelled = 0;
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<QProgressDialog*>(w);
                    progress && progress->isVisible() && !progress->wasCanceled()) {
                    progress->cancel();
                    ++cancelled;
                }
        });
        if (message.isEmpty()) {
            page.setProgressDelay(0);
            canceller.start(1);
        }
        QCOMPARE(f.boxesAfterClick(&page, "Button2"), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(cancelled, message.isEmpty() ? 1 : 0);
        QVERIFY(!page.findChild<QProgressDialog*>());
        QCOMPARE(readState(&page), message.isEmpty() ? before : fresh);
        if (!message.isEmpty()) {
            QCOMPARE(f.boxesAfterClick(&page, "Button3"), QStringList());
            QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(0));
        }
        TEST_END
    }

    // A CSV that is read but not mapped yet says nothing.
    void unmappedCsvSaysNothing()
    {
        TEST_BEGIN
        PageFixture f;
        QTemporaryDir dir;
        Tf_daoru page;
        page.show();
        setText(&page, "Edit1", writeFile(dir, QStringLiteral("plain.csv"), "甲,乙\n1,2\n"));
        QCOMPARE(f.boxesAfterClick(&page, "Button2"), QStringList());
        QCOMPARE(rowCount(&page, kPreview), 0);
        TEST_END
    }
};

QTEST_MAIN(TstDaoru)
#include "tst_daoru.moc"
